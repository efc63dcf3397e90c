// The set of ports through which the portable program reaches the machine. Production code
// builds one in main; tests build one from fakes. A port that a caller does not need may be null.
#pragma once

#include "platform/ansi_code_page.h"
#include "platform/clock.h"
#include "platform/environment.h"
#include "platform/event_log.h"
#include "platform/event_query.h"
#include "platform/files.h"
#include "platform/key_state.h"
#include "platform/memory.h"
#include "platform/message_tables.h"
#include "platform/registry.h"
#include "platform/shell.h"

namespace veltrano {

struct Machine {
    FileSystem* files = nullptr;
    Clock* clock = nullptr;
    SystemInfo* system = nullptr;
    EventLogService* eventLogs = nullptr;
    Registry* registry = nullptr;
    MessageTables* messages = nullptr;
    EventQuery* eventQuery = nullptr;
    Environment* environment = nullptr;
    Shell* shell = nullptr;
    AnsiCodePage* ansi = nullptr;
    KeyState* keys = nullptr;
    Memory* memory = nullptr;
};

}  // namespace veltrano
