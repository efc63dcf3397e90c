// What the scan read and what it skipped, for the user: one line per log on standard error, and
// the same facts as the "sources" object of the JSON output.
#pragma once

#include <string>
#include <vector>

#include "platform/offline/eventlog/log_facts.h"

namespace veltrano {

// "System: C:\Windows\System32\winevt\Logs\System.evtx: 812 records, <oldest> to <newest>, 2
// damaged chunks skipped" and the like, one per log.
std::vector<std::string> SourceFactLines(const std::vector<eventlog::LogFileFacts>& logs);

// {"logs": [{"log": …, "path": …, "outcome": "read" | "no file" | "not a file" | "unreadable",
// "records": …, "oldest": …, "newest": …, "damagedChunks": …, "damagedRecords": …,
// "truncated": …}, …]}
std::string SourcesJson(const std::vector<eventlog::LogFileFacts>& logs);

// Whether any log file could be read at all.
bool AnyLogRead(const std::vector<eventlog::LogFileFacts>& logs);

}  // namespace veltrano
