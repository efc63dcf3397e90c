// OpenEventLogW / ReadEventLogW / CloseEventLog.
#include "platform/win32/win32_event_log.h"

#include <windows.h>

#include "platform/win32/wide.h"

namespace veltrano {
namespace {

class Win32EventLog : public EventLog {
  public:
    explicit Win32EventLog(HANDLE handle) : handle_(handle) {}
    ~Win32EventLog() override { ::CloseEventLog(handle_); }
    Win32EventLog(const Win32EventLog&) = delete;
    Win32EventLog& operator=(const Win32EventLog&) = delete;

    EventLogRead ReadBackwards(uint8_t* buffer, uint32_t size) override {
        DWORD read = 0, needed = 0;
        EventLogRead result;
        if (::ReadEventLogW(handle_, EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ, 0, buffer,
                            size, &read, &needed)) {
            result.ok = true;
            result.bytesRead = read;
        } else {
            result.error = ::GetLastError();
            result.bytesNeeded = needed;
        }
        return result;
    }

  private:
    HANDLE handle_;
};

}  // namespace

std::unique_ptr<EventLog> Win32EventLogService::Open(TextView logName) {
    const Text name(logName);
    HANDLE handle = ::OpenEventLogW(nullptr, Wide(name));
    if (handle == nullptr)
        return nullptr;
    return std::make_unique<Win32EventLog>(handle);
}

}  // namespace veltrano
