// Scanning the machines of a run in parallel: a small pool of threads over the machine folders,
// each drive opened and scanned as a run of one does it, with its own catalogue; then the
// collectors' forwarded events, split by computer.
#pragma once

#include <vector>

#include "fleet/fleet_folders.h"
#include "fleet/run_machine.h"
#include "platform/clock.h"

namespace veltrano {

// jobs: machines (and collector chunks) worked on at once. The clock is shared by every machine
// and must stand still (one "now" for the whole run). keepDrives: each machine keeps its drive
// open for outputs that read it again (its ports stay set).
MachineRun ScanFleet(const std::vector<MachineFolder>& folders, Clock& clock, int jobs,
                     const ScanChoices& choices = {}, bool keepDrives = false);

}  // namespace veltrano
