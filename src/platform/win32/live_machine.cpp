// Assembly of the Win32 adapters.
#include "platform/win32/live_machine.h"

#include "platform/offline/manifest/manifest_event_query.h"
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
    Win32Environment environment;
    Win32Shell shell;
    Win32AnsiCodePage ansi;
    Win32KeyState keys;
    std::unique_ptr<EventLogService> eventLogs;
    std::unique_ptr<EventQuery> eventQuery;
};

LiveMachine::LiveMachine() : adapters_(std::make_unique<Adapters>()) {
    Adapters& a = *adapters_;
    a.eventLogs = MakeHostEventLogService(a.files);
    // Wine's event query service formats nothing: as its logs, the texts of manifest-based
    // providers come from the files of the Windows folder.
    if (RunningUnderWine()) {
        a.eventQuery = std::make_unique<manifest::ManifestEventQuery>(
            a.files, SystemRootFolder(), a.registry, &a.environment, &a.messages);
    } else {
        a.eventQuery = std::make_unique<Win32EventQuery>();
    }
    machine_.files = &a.files;
    machine_.clock = &a.clock;
    machine_.system = &a.system;
    machine_.eventLogs = a.eventLogs.get();
    machine_.registry = &a.registry;
    machine_.messages = &a.messages;
    machine_.eventQuery = a.eventQuery.get();
    machine_.environment = &a.environment;
    machine_.shell = &a.shell;
    machine_.ansi = &a.ansi;
    machine_.keys = &a.keys;
}

LiveMachine::~LiveMachine() = default;

}  // namespace veltrano
