// Started with "-uninstall": after the user confirms, removes the program's registry keys and
// deletes the executable through a batch script that runs once the process has ended.
#pragma once

#include "platform/machine.h"

namespace veltrano {

// True when the script was started or the user declined; false when a path was not available
// or the script could not be written (the keys are gone by then). `caption` is the program
// title for the confirmation.
bool SelfUninstall(Machine& machine, const Text& caption);

}  // namespace veltrano
