// The name a machine gives itself: the computer name of its registry's current control set, else
// the computer its newest log record names.
#pragma once

#include <string>

#include "base/text.h"
#include "platform/machine.h"
#include "platform/offline/eventlog/log_facts.h"

namespace veltrano {

// Empty when the machine names itself nowhere. logs: what a scan read of the machine's log files,
// which names the newest records' computers without reading the logs again; null: read them.
Text RecordedComputerName(Machine& machine,
                          const std::vector<eventlog::LogFileFacts>* logs = nullptr);

// What every output calls a machine scanned alone: its own name, else the name of its folder,
// else "(unknown)".
Text MachineName(Machine& machine, const std::string& folder,
                 const std::vector<eventlog::LogFileFacts>* logs = nullptr);

}  // namespace veltrano
