// Rendering a run's machines.
#include "cli/run_output.h"

#include "cli/output_formats.h"
#include "cli/source_facts.h"

namespace veltrano {
namespace {

using Facts = eventlog::LogFileFacts;

// A JSON array of the values f gives for each element.
template <typename List, typename Value>
std::string JsonArray(const List& list, Value&& value) {
    std::string out = "[";
    for (const auto& element : list)
        out += (out.size() == 1 ? "" : ", ") + value(element);
    return out + "]";
}

std::string Time(const Facts& log, FileTime time) {
    return log.records == 0 ? "null" : "\"" + IsoUtc(time) + "\"";
}

bool Damaged(const Facts& log) {
    return log.outcome != Facts::Outcome::Read || log.truncated || log.damagedChunks != 0 ||
           log.damagedRecords != 0;
}

}  // namespace

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

const char* ScanStatus(const RunMachine& m) {
    if (!m.Readable())
        return "nothing readable";
    for (const Facts& log : m.logs) {
        if (Damaged(log))
            return "damaged";
    }
    return "read";
}

std::string RenderScanLine(const RunMachine& m, FileTime scanTime, size_t errors) {
    const auto& logs = m.logs;
    const auto& folders = m.reportFolders;
    auto number = [](uint64_t n) { return std::to_string(n); };
    return std::string("{\"Schema\": \"") + kScanSchema + "\", \"Machine\": " +
           JsonString(m.name) + ", \"Folder\": " + JsonString(Utf8PathToUtf16(m.folder)) +
           ", \"ScanTime\": \"" + IsoUtc(scanTime) + "\", \"Status\": \"" + ScanStatus(m) +
           "\", \"Errors\": " + number(errors) +
           ", \"Registry\": " + (m.missingHives.empty() ? "1" : "0") +
           ", \"Logs\": " + JsonArray(logs, [](const Facts& l) { return JsonString(l.log); }) +
           ", \"LogPaths\": " + JsonArray(logs, [](const Facts& l) { return JsonString(l.path); }) +
           ", \"LogOutcomes\": " +
           JsonArray(logs, [](const Facts& l) { return "\"" + LogOutcomeName(l.outcome) + "\""; }) +
           ", \"LogRecords\": " + JsonArray(logs, [&](const Facts& l) { return number(l.records); }) +
           ", \"LogOldest\": " + JsonArray(logs, [](const Facts& l) { return Time(l, l.oldest); }) +
           ", \"LogNewest\": " + JsonArray(logs, [](const Facts& l) { return Time(l, l.newest); }) +
           ", \"LogDamagedChunks\": " +
           JsonArray(logs, [&](const Facts& l) { return number(l.damagedChunks); }) +
           ", \"LogDamagedRecords\": " +
           JsonArray(logs, [&](const Facts& l) { return number(l.damagedRecords); }) +
           ", \"LogTruncated\": " +
           JsonArray(logs, [](const Facts& l) { return std::string(l.truncated ? "1" : "0"); }) +
           ", \"ReportFolders\": " +
           JsonArray(folders, [](const ReportFolderFacts& f) { return JsonString(f.path); }) +
           ", \"ReportFolderQueued\": " +
           JsonArray(folders,
                     [](const ReportFolderFacts& f) { return std::string(f.queued ? "1" : "0"); }) +
           ", \"ReportFolderReports\": " +
           JsonArray(folders, [&](const ReportFolderFacts& f) { return number(f.reports); }) +
           "}\n";
}

std::string RenderRun(const MachineRun& run, OutputFormat format, std::optional<int> interval,
                      Clock& clock, bool localTimes) {
    const bool several = run.machines.size() > 1;
    std::vector<MachineRows> tables;
    std::vector<std::string> objects;
    std::string out;
    for (const RunMachine& m : run.machines) {
        const ErrorCatalogue& catalogue = *m.catalogue;
        const int shown = interval.value_or(
            format == OutputFormat::Ndjson ? IntervalAll : FirstIntervalWithErrorsOrAll(catalogue));
        auto rows = BuildErrorRows(catalogue, shown, clock);
        const Text status = IntervalStatusText(catalogue, shown, rows.size(), clock);
        switch (format) {
            case OutputFormat::Ndjson:
                out += RenderScanLine(m, clock.UtcNow(), rows.size());
                out += RenderNdjson(m.name, clock.UtcNow(), catalogue, rows, clock);
                break;
            case OutputFormat::Json:
                objects.push_back(RenderJson(catalogue, rows, shown, status, clock, &m.name,
                                             m.forwarded ? std::string()
                                                         : SourcesJson(m.logs, m.missingHives)));
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
