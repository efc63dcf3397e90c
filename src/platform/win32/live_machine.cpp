// Assembly of the Win32 adapters.
#include "platform/win32/live_machine.h"

#include "platform/win32/event_log_choice.h"
#include "platform/win32/win32_ansi_code_page.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_event_query.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_message_tables.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system_services.h"

namespace veltrano {

struct LiveMachine::Adapters {
    Win32FileSystem files;
    Win32Clock clock;
    Win32SystemInfo system;
    Win32Registry registry;
    Win32MessageTables messages;
    Win32EventQuery eventQuery;
    Win32Environment environment;
    Win32Shell shell;
    Win32AnsiCodePage ansi;
    Win32KeyState keys;
    std::unique_ptr<EventLogService> eventLogs;
};

LiveMachine::LiveMachine() : adapters_(std::make_unique<Adapters>()) {
    Adapters& a = *adapters_;
    a.eventLogs = MakeHostEventLogService(a.files);
    machine_.files = &a.files;
    machine_.clock = &a.clock;
    machine_.system = &a.system;
    machine_.eventLogs = a.eventLogs.get();
    machine_.registry = &a.registry;
    machine_.messages = &a.messages;
    machine_.eventQuery = &a.eventQuery;
    machine_.environment = &a.environment;
    machine_.shell = &a.shell;
    machine_.ansi = &a.ansi;
    machine_.keys = &a.keys;
}

LiveMachine::~LiveMachine() = default;

}  // namespace veltrano
