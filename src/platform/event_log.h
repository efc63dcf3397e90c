// Event log port with the classic contract: records newest first, whole records per read, the
// caller's buffer, error 122 with the needed size when the next record does not fit, error 38 at
// the end. A log is closed when its object is destroyed.
#pragma once

#include <cstdint>
#include <memory>

#include "base/text.h"

namespace veltrano {

constexpr uint32_t kErrorInsufficientBuffer = 122;  // ERROR_INSUFFICIENT_BUFFER
constexpr uint32_t kErrorHandleEof = 38;            // ERROR_HANDLE_EOF

struct EventLogRead {
    bool ok = false;
    uint32_t bytesRead = 0;    // when ok
    uint32_t error = 0;        // when not ok
    uint32_t bytesNeeded = 0;  // with kErrorInsufficientBuffer
};

class EventLog {
  public:
    virtual ~EventLog() = default;
    // ReadEventLogW with EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ, offset 0.
    virtual EventLogRead ReadBackwards(uint8_t* buffer, uint32_t size) = 0;
};

class EventLogService {
  public:
    virtual ~EventLogService() = default;
    // OpenEventLogW on the local computer; null when the log cannot be opened.
    virtual std::unique_ptr<EventLog> Open(TextView logName) = 0;
};

}  // namespace veltrano
