// Event log port over the classic event-log service API.
#pragma once

#include "platform/event_log.h"

namespace veltrano {

class Win32EventLogService : public EventLogService {
  public:
    std::unique_ptr<EventLog> Open(TextView logName) override;
};

}  // namespace veltrano
