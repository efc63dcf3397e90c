// The names a run shows its machines by: the computer's own name, and where two machines of the
// run give the same one (letter case ignored), that name with the folder each came from.
#pragma once

#include <vector>

#include "fleet/run_machine.h"

namespace veltrano {

// Sets every machine's name from its computer and folder.
void NameMachines(std::vector<RunMachine>& machines);

}  // namespace veltrano
