// The machines of a run: more than one --root, --fleet, or a root that is a forwarding collector
// make a run of many, scanned in parallel; anything else a run of one.
#pragma once

#include <memory>
#include <string>

#include "cli/options.h"
#include "cli/scan_machine.h"
#include "fleet/run_machine.h"

namespace veltrano {

bool SeveralMachines(const ScanOptions& options);

// The one machine, scanned unless scanErrors is false, under the name every output gives it; its
// ports stay those of scan, which must outlive the run.
MachineRun ScanOneMachine(ScanMachine& scan, const ScanOptions& options, bool scanErrors = true);

// The machines of a run of many; keepDrives: their ports stay for outputs that read them again.
MachineRun ScanManyMachines(const ScanOptions& options, Clock& clock, bool keepDrives);

}  // namespace veltrano
