// Event query port: the platform's formatted text of one event record.
#pragma once

#include <cstdint>
#include <optional>

#include "base/text.h"

namespace veltrano {

class EventQuery {
  public:
    virtual ~EventQuery() = default;
    // The message of the record with this number in the log, formatted by its publisher;
    // nullopt when there is none.
    virtual std::optional<Text> EventText(TextView logName, uint32_t recordNumber) = 0;
};

}  // namespace veltrano
