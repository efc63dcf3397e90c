// The outputs of a run: NDJSON lines for a fleet's database (every field of the JSON output plus
// the machine, the scan's time and the schema's name), and the table, CSV and JSON outputs of
// several machines.
#pragma once

#include <string>
#include <vector>

#include "cli/options.h"
#include "engine/catalogue.h"
#include "engine/error_rows.h"
#include "fleet/fleet_scan.h"

namespace veltrano {

// The name of the lines' layout; a line's fields change only with it.
inline constexpr char kFleetSchema[] = "veltrano-fleet-3";

// One line per row of one machine.
std::string RenderNdjson(const Text& machine, FileTime scanTime, const ErrorCatalogue& catalogue,
                         const std::vector<ErrorRow>& rows, Clock& clock);

// A run's machines in the format; one machine comes out as a single-machine scan would.
// interval: as chosen by --interval, else each machine's own (NDJSON: all); localTimes: the
// table's and CSV's dates in the machines' zone.
std::string RenderFleet(const FleetRun& run, OutputFormat format, std::optional<int> interval,
                        Clock& clock, bool localTimes = false);

}  // namespace veltrano
