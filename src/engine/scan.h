// The scan: fixes the interval boundaries, empties the catalogue, reads the report archive and
// the event logs, joins reports to events, and tells the owner window when it is done.
#pragma once

#include "engine/catalogue.h"
#include "platform/machine.h"

namespace veltrano {

// Fills the catalogue from the machine's sources; returns 0.
int RunScan(ErrorCatalogue& catalogue, Machine& machine);

// The worker thread's body: RunScan, then WM_SCAN_DONE with the elapsed whole seconds.
int ScanWorker(ErrorCatalogue& catalogue, Machine& machine);

}  // namespace veltrano
