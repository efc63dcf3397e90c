// What the scan read and what it skipped, for the user: one line per log on standard error, and
// the same facts as the "sources" object of the JSON output.
#pragma once

#include <string>
#include <vector>

#include "platform/offline/eventlog/log_facts.h"

namespace veltrano {

// "System: C:\Windows\System32\winevt\Logs\System.evtx: 812 records, <oldest> to <newest>, 2
// damaged chunks skipped" and the like, one per log; then, where the drive lacks registry hives
// (missingHives: "SYSTEM", "SOFTWARE"), a "Registry: …" line saying so.
std::vector<std::string> SourceFactLines(const std::vector<eventlog::LogFileFacts>& logs,
                                         const std::vector<Text>& missingHives = {});

// {"logs": [{"log": …, "path": …, "outcome": "read" | "no file" | "not a file" | "unreadable" |
// "not an event log", "records": …, "oldest": …, "newest": …, "damagedChunks": …,
// "damagedRecords": …, "truncated": …}, …], "missingHives": ["SYSTEM", …]}
std::string SourcesJson(const std::vector<eventlog::LogFileFacts>& logs,
                        const std::vector<Text>& missingHives = {});

// "read", "no file", "not a file", "unreadable", "not an event log".
std::string LogOutcomeName(eventlog::LogFileFacts::Outcome outcome);

// Whether any log file could be read at all.
bool AnyLogRead(const std::vector<eventlog::LogFileFacts>& logs);

}  // namespace veltrano
