// The name a machine gives itself: the computer name of its registry's current control set, else
// the computer its newest log record names.
#pragma once

#include "base/text.h"
#include "platform/machine.h"

namespace veltrano {

// Empty when the machine names itself nowhere.
Text RecordedComputerName(Machine& machine);

}  // namespace veltrano
