// The name a machine gives itself: the computer name of its registry's current control set, else
// the computer its newest log record names.
#pragma once

#include <string>

#include "base/text.h"
#include "platform/machine.h"

namespace veltrano {

// Empty when the machine names itself nowhere.
Text RecordedComputerName(Machine& machine);

// What every output calls a machine scanned alone: its own name, else the name of its folder,
// else "(unknown)".
Text MachineName(Machine& machine, const std::string& folder);

}  // namespace veltrano
