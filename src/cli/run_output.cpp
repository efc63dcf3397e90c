// Rendering a run's machines.
#include "cli/run_output.h"

#include "cli/output_formats.h"
#include "cli/source_facts.h"

namespace veltrano {
namespace {

using Facts = eventlog::LogFileFacts;

void WriteTime(JsonWriter& json, const Facts& log, FileTime time) {
    if (log.records == 0)
        json.Null();
    else
        json.String(IsoUtc(time));
}

bool Damaged(const Facts& log) {
    return log.outcome != Facts::Outcome::Read || log.truncated || log.damagedChunks != 0 ||
           log.damagedRecords != 0;
}

// The single-machine objects, each without its line end, one to a line.
std::string MachineArray(std::vector<std::string>& objects) {
    JsonWriter json;
    json.BeginArray();
    for (std::string& object : objects) {
        object.pop_back();
        json.NewLine("").Value(object);
    }
    if (!objects.empty())
        json.NewLine("");
    return json.EndArray().Take() + "\n";
}

}  // namespace

std::string RenderNdjson(const Text& machine, FileTime scanTime, const ErrorCatalogue& catalogue,
                         const std::vector<ErrorRow>& rows, Clock& clock,
                         const crash::CrashFindings* crashes) {
    std::string out;
    for (const ErrorRow& row : rows) {
        const ErrorEntry* e = catalogue.Find(row.key);
        if (e == nullptr)
            continue;
        JsonWriter json;
        json.BeginObject().Key("Schema").String(kFleetSchema).Key("Machine").String(machine);
        json.Key("ScanTime").String(IsoUtc(scanTime));
        WriteErrorFields(json, *e, row, clock, crashes);
        out += json.EndObject().Take() + "\n";
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
    JsonWriter json;
    json.BeginObject().Key("Schema").String(kScanSchema).Key("Machine").String(m.name);
    json.Key("Folder").String(Utf8PathToUtf16(m.folder));
    json.Key("ScanTime").String(IsoUtc(scanTime)).Key("Status").String(ScanStatus(m));
    json.Key("Errors").Number(errors).Key("Registry").Number(m.missingHives.empty() ? 1 : 0);
    json.Key("Logs").Array(logs, [&](const Facts& l) { json.String(l.log); });
    json.Key("LogPaths").Array(logs, [&](const Facts& l) { json.String(l.path); });
    json.Key("LogOutcomes").Array(logs, [&](const Facts& l) {
        json.String(LogOutcomeName(l.outcome));
    });
    json.Key("LogRecords").Array(logs, [&](const Facts& l) { json.Number(l.records); });
    json.Key("LogOldest").Array(logs, [&](const Facts& l) { WriteTime(json, l, l.oldest); });
    json.Key("LogNewest").Array(logs, [&](const Facts& l) { WriteTime(json, l, l.newest); });
    json.Key("LogDamagedChunks").Array(logs, [&](const Facts& l) { json.Number(l.damagedChunks); });
    json.Key("LogDamagedRecords").Array(logs, [&](const Facts& l) {
        json.Number(l.damagedRecords);
    });
    json.Key("LogTruncated").Array(logs, [&](const Facts& l) { json.Number(l.truncated ? 1 : 0); });
    json.Key("ReportFolders").Array(folders, [&](const ReportFolderFacts& f) {
        json.String(f.path);
    });
    json.Key("ReportFolderQueued").Array(folders, [&](const ReportFolderFacts& f) {
        json.Number(f.queued ? 1 : 0);
    });
    json.Key("ReportFolderReports").Array(folders, [&](const ReportFolderFacts& f) {
        json.Number(f.reports);
    });
    return json.EndObject().Take() + "\n";
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
                out += RenderNdjson(m.name, clock.UtcNow(), catalogue, rows, clock, &m.crashes);
                break;
            case OutputFormat::Json:
                objects.push_back(
                    RenderJson(catalogue, rows, shown, status, clock, &m.name,
                               m.forwarded ? std::string() : SourcesJson(m.logs, m.missingHives),
                               &m.crashes));
                break;
            case OutputFormat::Table:
            case OutputFormat::Csv:
                tables.push_back({m.name, std::move(rows), status, &m.crashes});
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
            return MachineArray(objects);
        case OutputFormat::Ndjson:
            break;
    }
    return out;
}

}  // namespace veltrano
