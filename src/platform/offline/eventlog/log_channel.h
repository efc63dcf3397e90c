// Which log an exported log file holds: the log its records name, else the one its file name
// names ("System.evtx", "SysEvent.Evt"), for a file given without the drive it came from.
#pragma once

#include <optional>

#include "base/text.h"
#include "platform/files.h"

namespace veltrano::eventlog {

struct LogFileKind {
    Text channel;     // "Application", "System", "Setup", …; empty when nothing tells
    bool evtx = true;  // else a classic .evt file
};

// Reads at most the file's first chunks. nullopt when the file cannot be read.
std::optional<LogFileKind> IdentifyLogFile(FileSystem& files, TextView path);

}  // namespace veltrano::eventlog
