// veltrano-scan over several machines: more than one --root, --fleet, or a root that is a
// forwarding collector. The single-machine command hands such runs here.
#pragma once

#include "cli/options.h"
#include "platform/machine.h"

namespace veltrano {

bool IsFleetRun(const ScanOptions& options);

// Scans, prints the machines' rows on standard output and one line per unreadable machine on
// standard error; the exit status (1 when a machine could not be read).
int RunFleetCommand(const ScanOptions& options);

}  // namespace veltrano
