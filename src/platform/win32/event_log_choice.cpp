// The choice between the event-log service and the log files.
#include "platform/win32/event_log_choice.h"

#include <windows.h>

#include "platform/offline/eventlog/offline_event_log.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_event_log.h"
#include "platform/win32/win32_system_services.h"

namespace veltrano {

Text SystemRootFolder() {
    wchar_t buffer[MAX_PATH + 1];
    DWORD n = ::GetEnvironmentVariableW(L"SystemRoot", buffer, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH)
        n = ::GetWindowsDirectoryW(buffer, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH)
        return {};
    return FromWide(buffer, n);
}

std::unique_ptr<EventLogService> MakeHostEventLogService(FileSystem& files) {
    if (RunningUnderWine())
        return MakeOfflineEventLogService(files, SystemRootFolder());
    return std::make_unique<Win32EventLogService>();
}

}  // namespace veltrano
