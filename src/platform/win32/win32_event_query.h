// Event query port over the Windows Event Log API (wevtapi).
#pragma once

#include "platform/event_query.h"

namespace veltrano {

class Win32EventQuery : public EventQuery {
  public:
    std::optional<Text> EventText(TextView logName, uint32_t recordNumber) override;
};

}  // namespace veltrano
