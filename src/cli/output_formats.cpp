// Table, CSV and JSON rendering.
#include "cli/output_formats.h"

#include <algorithm>

#include "cli/crash_fields.h"
#include "cli/options.h"
#include "cli/text_path_names.h"
#include "engine/occurrence_days.h"
#include "shell/local_texts.h"

namespace veltrano {
namespace {

constexpr int kColumnTitles[5] = {LT_COL_APP_SOURCE, LT_COL_ERROR_NAME, LT_COL_ERROR_COUNT,
                                  LT_COL_LAST_TIME, LT_COL_APP_PATH};

// The machine column's title reads the same in both languages.
constexpr char16_t kMachineTitle[] = u"Computer";

// The date column stands before the path, the window's last column.
constexpr size_t kDateColumn = 4;

Text DateTitle(bool local) {
    const bool german = InterfaceLanguage() == kLanguageGerman;
    if (local)
        return german ? u"Letzter Fehler (Ortszeit)" : u"Last error (local time)";
    return german ? u"Letzter Fehler (UTC)" : u"Last error (UTC)";
}

// The columns a table shows besides the window's.
struct ExtraColumns {
    bool machine = false;
    bool crash = false;  // some machine has a dump or a blue screen
};

ExtraColumns ColumnsOf(const std::vector<MachineRows>& machines, bool machineColumn) {
    ExtraColumns columns{machineColumn, false};
    for (const MachineRows& m : machines) {
        if (m.crashes != nullptr && (!m.crashes->dumps.empty() || !m.crashes->stopErrors.empty()))
            columns.crash = true;
    }
    return columns;
}

std::vector<Text> Titles(ExtraColumns columns, Clock* localZone) {
    std::vector<Text> titles;
    if (columns.machine)
        titles.emplace_back(kMachineTitle);
    for (int id : kColumnTitles)
        titles.push_back(LocalText(id));
    titles.insert(titles.end() - (5 - kDateColumn), DateTitle(localZone != nullptr));
    if (columns.crash)
        titles.push_back(CrashColumnTitle());
    return titles;
}

std::vector<Text> Cells(const MachineRows& machine, const ErrorRow& row, ExtraColumns columns,
                        Clock* localZone) {
    std::vector<Text> cells;
    if (columns.machine)
        cells.push_back(machine.machine);
    cells.insert(cells.end(), row.columns.begin(), row.columns.end());
    const std::string when =
        localZone != nullptr ? IsoLocal(*localZone, row.last) : IsoUtc(row.last);
    cells.insert(cells.end() - (5 - kDateColumn), Ascii(when));
    if (columns.crash) {
        const auto* crashes = machine.crashes;
        cells.push_back(crashes != nullptr
                            ? CrashCell(crashes->DumpOf(row.key), crashes->StopErrorOf(row.key))
                            : Text());
    }
    return cells;
}

// Columns are measured in UTF-16 units, which is what the program's texts count in.
void AppendPadded(std::string& out, const Text& cell, size_t width) {
    out += Utf16ToUtf8(cell);
    out.append(width - std::min(width, cell.size()) + 2, ' ');
}

std::string CsvField(const Text& cell) {
    const std::string utf8 = Utf16ToUtf8(cell);
    if (utf8.find_first_of(",\"\r\n") == std::string::npos)
        return utf8;
    std::string quoted = "\"";
    for (char c : utf8) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

// Texts read from report files lose their byte-order marks on the way out.
void WriteText(JsonWriter& json, const std::optional<Text>& text) {
    if (text)
        json.String(WithoutByteOrderMarks(*text));
    else
        json.Null();
}

}  // namespace

std::string RenderFleetTable(const std::vector<MachineRows>& machines, bool machineColumn,
                             Clock* localZone) {
    const ExtraColumns columns = ColumnsOf(machines, machineColumn);
    const std::vector<Text> titles = Titles(columns, localZone);
    std::vector<size_t> widths(titles.size());
    for (size_t c = 0; c < titles.size(); ++c)
        widths[c] = titles[c].size();
    for (const MachineRows& m : machines) {
        for (const ErrorRow& row : m.rows) {
            const std::vector<Text> cells = Cells(m, row, columns, localZone);
            for (size_t c = 0; c < cells.size(); ++c)
                widths[c] = std::max(widths[c], cells[c].size());
        }
    }
    auto line = [&](const std::vector<Text>& cells) {
        std::string out;
        for (size_t c = 0; c + 1 < cells.size(); ++c)
            AppendPadded(out, cells[c], widths[c]);
        out += Utf16ToUtf8(cells.back());
        while (!out.empty() && out.back() == ' ')
            out.pop_back();
        return out + "\n";
    };
    std::string out = line(titles);
    for (const MachineRows& m : machines) {
        for (const ErrorRow& row : m.rows)
            out += line(Cells(m, row, columns, localZone));
    }
    out += "\n";
    for (const MachineRows& m : machines) {
        out +=
            (m.machine.empty() ? "" : Utf16ToUtf8(m.machine) + ": ") + Utf16ToUtf8(m.status) + "\n";
    }
    return out;
}

std::string RenderFleetCsv(const std::vector<MachineRows>& machines, bool machineColumn,
                           Clock* localZone) {
    const ExtraColumns columns = ColumnsOf(machines, machineColumn);
    std::string out;
    auto line = [&out](const std::vector<Text>& cells) {
        for (size_t c = 0; c < cells.size(); ++c) {
            if (c > 0)
                out += ',';
            out += CsvField(cells[c]);
        }
        out += "\r\n";
    };
    line(Titles(columns, localZone));
    for (const MachineRows& m : machines) {
        for (const ErrorRow& row : m.rows)
            line(Cells(m, row, columns, localZone));
    }
    return out;
}

void WriteErrorFields(JsonWriter& json, const ErrorEntry& e, const ErrorRow& row, Clock& clock,
                      const crash::CrashFindings* crashes) {
    json.Key("Category").Number(e.Category).Key("ErrorCount").Number(e.ErrorCount);
    json.Key("WeekCount").Number(e.WeekCount).Key("MonthCount").Number(e.MonthCount);
    json.Key("HalfYearCount").Number(e.HalfYearCount);
    json.Key("WeekFirstTime").String(IsoUtc(e.WeekFirstTime));
    json.Key("MonthFirstTime").String(IsoUtc(e.MonthFirstTime));
    json.Key("HalfYearFirstTime").String(IsoUtc(e.HalfYearFirstTime));
    json.Key("Linked").Number(e.Linked);
    json.Key("LastErrorDateTime").String(IsoUtc(e.LastErrorDateTime));
    json.Key("FirstErrorDateTime").String(IsoUtc(e.FirstErrorDateTime));
    json.Key("OccurrenceTimes").Array(e.OccurrenceTimes, [&](FileTime t) {
        json.String(IsoUtc(t));
    });
    // Two arrays rather than one object, so that a database takes them as two array columns.
    const auto perDay = OccurrencesPerDay(e, clock);
    json.Key("Days").Array(perDay, [&](const auto& day) { json.String(IsoDay(day.first)); });
    json.Key("DayCounts").Array(perDay, [&](const auto& day) { json.Number(day.second); });
    json.Key("AppName").String(e.AppName).Key("ErrorName").String(e.ErrorName);
    json.Key("AppPath").String(e.AppPath).Key("ReportId").String(e.ReportId);
    json.Key("ExceptionCode").String(e.ExceptionCode).Key("ErrorSummary").String(e.ErrorSummary);
    json.Key("ErrorText");
    WriteText(json, e.ErrorText);
    json.Key("MessageTemplate");
    WriteText(json, e.MessageTemplate);
    json.Key("ErrorTextParams").String(e.ErrorTextParams);
    json.Key("InsertionStrings").Array(e.InsertionStrings, [&](const Text& s) { json.String(s); });
    json.Key("MissingText").String(e.MissingText ? Ascii(TextPathTitle(*e.MissingText)) : Text());
    json.Key("Queued").Number(e.Queued);
    json.Key("FaultModule").String(e.FaultModule);
    json.Key("FaultModuleVersion").String(e.FaultModuleVersion);
    json.Key("FaultOffset").String(e.FaultOffset);
    WriteCrashFields(json, crashes != nullptr ? crashes->DumpOf(row.key) : nullptr,
                     crashes != nullptr ? crashes->StopErrorOf(row.key) : nullptr);
    // The count column is a number already.
    json.Key("Count").Value(Utf16ToUtf8(row.columns[2])).Key("Age").String(row.columns[3]);
}

std::string RenderJson(const ErrorCatalogue& catalogue, const std::vector<ErrorRow>& rows,
                       int interval, const Text& statusText, Clock& clock, const Text* machine,
                       const std::string& sources, const crash::CrashFindings* crashes) {
    static const char* const kIntervals[] = {"", "week", "month", "6months", "all"};
    JsonWriter json;
    json.BeginObject();
    if (machine != nullptr)
        json.NewLine("  ").Key("Machine").String(*machine);
    json.NewLine("  ").Key("interval").String(kIntervals[interval]);
    json.NewLine("  ").Key("status").String(statusText);
    json.NewLine("  ").Key("totalErrors").Number(catalogue.TotalErrors);
    json.NewLine("  ").Key("maxAgeDays").Number(catalogue.MaxAgeDays);
    json.NewLine("  ").Key("errors").BeginArray();
    for (const ErrorRow& row : rows) {
        const ErrorEntry* e = catalogue.Find(row.key);
        if (e == nullptr)
            continue;
        json.NewLine("    ").BeginObject();
        WriteErrorFields(json, *e, row, clock, crashes);
        json.EndObject();
    }
    // Rows whose entries are all gone still close the list on a line of its own.
    if (!rows.empty())
        json.NewLine("  ");
    json.EndArray();
    if (!sources.empty())
        json.NewLine("  ").Key("sources").Value(sources);
    json.NewLine("").EndObject();
    return json.Take() + "\n";
}

}  // namespace veltrano
