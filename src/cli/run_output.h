// The outputs of a run, for one machine or many: the table, CSV and JSON of its machines, and
// NDJSON lines for a fleet's database: per machine a line of what its scan read, then one line
// per error (every field of the JSON output plus the machine, the scan's time and the schema).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "engine/catalogue.h"
#include "engine/error_rows.h"
#include "fleet/run_machine.h"

namespace veltrano {

// The names of the lines' layouts; a line's fields change only with them.
inline constexpr char kFleetSchema[] = "veltrano-fleet-4";
inline constexpr char kScanSchema[] = "veltrano-fleet-scan-1";

// One line per row of one machine, with its dumps and blue screens (crashes may be null).
std::string RenderNdjson(const Text& machine, FileTime scanTime, const ErrorCatalogue& catalogue,
                         const std::vector<ErrorRow>& rows, Clock& clock,
                         const crash::CrashFindings* crashes);

// The line of what a machine's scan read; errors: the error lines that follow it.
std::string RenderScanLine(const RunMachine& machine, FileTime scanTime, size_t errors);

// "read", "damaged" or "nothing readable".
const char* ScanStatus(const RunMachine& machine);

// A run's machines in the format; one machine comes out as a single-machine scan would.
// interval: as chosen by --interval, else each machine's own (NDJSON: all); localTimes: the
// table's and CSV's dates in the machines' zone.
std::string RenderRun(const MachineRun& run, OutputFormat format, std::optional<int> interval,
                      Clock& clock, bool localTimes = false);

}  // namespace veltrano
