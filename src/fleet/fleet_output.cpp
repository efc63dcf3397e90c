// Rendering a run's machines.
#include "fleet/fleet_output.h"

#include "cli/output_formats.h"

namespace veltrano {

std::string RenderNdjson(const Text& machine, FileTime scanTime, const ErrorCatalogue& catalogue,
                         const std::vector<ErrorRow>& rows, Clock& clock) {
    const std::string head = std::string("{\"Schema\": \"") + kFleetSchema +
                             "\", \"Machine\": " + JsonString(machine) + ", \"ScanTime\": \"" +
                             IsoUtc(scanTime) + "\", ";
    std::string out;
    for (const ErrorRow& row : rows) {
        if (const ErrorEntry* e = catalogue.Find(row.key))
            out += head + JsonErrorFields(*e, row, clock) + "}\n";
    }
    return out;
}

std::string RenderFleet(const FleetRun& run, OutputFormat format, std::optional<int> interval,
                        Clock& clock, bool localTimes) {
    const bool several = run.machines.size() > 1;
    std::vector<MachineRows> tables;
    std::vector<std::string> objects;
    std::string out;
    for (const FleetMachine& m : run.machines) {
        const ErrorCatalogue& catalogue = *m.catalogue;
        const int shown = interval.value_or(
            format == OutputFormat::Ndjson ? IntervalAll : FirstIntervalWithErrorsOrAll(catalogue));
        auto rows = BuildErrorRows(catalogue, shown, clock);
        const Text status = IntervalStatusText(catalogue, shown, rows.size(), clock);
        switch (format) {
            case OutputFormat::Ndjson:
                out += RenderNdjson(m.name, clock.UtcNow(), catalogue, rows, clock);
                break;
            case OutputFormat::Json:
                objects.push_back(RenderJson(catalogue, rows, shown, status, clock, &m.name));
                break;
            case OutputFormat::Table:
            case OutputFormat::Csv:
                tables.push_back({m.name, std::move(rows), status});
                break;
        }
    }
    switch (format) {
        case OutputFormat::Table:
            return RenderFleetTable(tables, several, localTimes ? &clock : nullptr);
        case OutputFormat::Csv:
            return RenderFleetCsv(tables, several, localTimes ? &clock : nullptr);
        case OutputFormat::Json:
            // Several machines (or none) make an array of the single-machine objects.
            if (objects.size() == 1)
                return objects.front();
            for (std::string& object : objects) {
                object.pop_back();  // its line end
                out += (out.empty() ? "[\n" : ",\n") + object;
            }
            return out.empty() ? "[]\n" : out + "\n]\n";
        case OutputFormat::Ndjson:
            break;
    }
    return out;
}

}  // namespace veltrano
