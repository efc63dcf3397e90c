// Table, CSV and JSON rendering.
#include "cli/output_formats.h"

#include <algorithm>
#include <cstdio>

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

std::vector<Text> Titles(bool machineColumn, Clock* localZone) {
    std::vector<Text> titles;
    if (machineColumn)
        titles.emplace_back(kMachineTitle);
    for (int id : kColumnTitles)
        titles.push_back(LocalText(id));
    titles.insert(titles.end() - (5 - kDateColumn), DateTitle(localZone != nullptr));
    return titles;
}

std::vector<Text> Cells(const MachineRows& machine, const ErrorRow& row, bool machineColumn,
                        Clock* localZone) {
    std::vector<Text> cells;
    if (machineColumn)
        cells.push_back(machine.machine);
    cells.insert(cells.end(), row.columns.begin(), row.columns.end());
    const std::string when =
        localZone != nullptr ? IsoLocal(*localZone, row.last) : IsoUtc(row.last);
    cells.insert(cells.end() - (5 - kDateColumn), Ascii(when));
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
std::string JsonText(const std::optional<Text>& text) {
    return text ? JsonString(WithoutByteOrderMarks(*text)) : "null";
}

std::string JsonStrings(const std::vector<Text>& texts) {
    std::string out = "[";
    for (size_t i = 0; i < texts.size(); ++i)
        out += (i == 0 ? "" : ", ") + JsonString(texts[i]);
    return out + "]";
}

}  // namespace

std::string RenderFleetTable(const std::vector<MachineRows>& machines, bool machineColumn,
                             Clock* localZone) {
    const std::vector<Text> titles = Titles(machineColumn, localZone);
    std::vector<size_t> widths(titles.size());
    for (size_t c = 0; c < titles.size(); ++c)
        widths[c] = titles[c].size();
    for (const MachineRows& m : machines) {
        for (const ErrorRow& row : m.rows) {
            const std::vector<Text> cells = Cells(m, row, machineColumn, localZone);
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
            out += line(Cells(m, row, machineColumn, localZone));
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
    std::string out;
    auto line = [&out](const std::vector<Text>& cells) {
        for (size_t c = 0; c < cells.size(); ++c) {
            if (c > 0)
                out += ',';
            out += CsvField(cells[c]);
        }
        out += "\r\n";
    };
    line(Titles(machineColumn, localZone));
    for (const MachineRows& m : machines) {
        for (const ErrorRow& row : m.rows)
            line(Cells(m, row, machineColumn, localZone));
    }
    return out;
}

std::string JsonString(TextView text) {
    std::string out = "\"";
    for (unsigned char c : Utf16ToUtf8(text)) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", c);
                    out += escape;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

std::string JsonErrorFields(const ErrorEntry& e, const ErrorRow& row, Clock& clock) {
    std::string times;
    for (FileTime t : e.OccurrenceTimes) {
        times += (times.empty() ? "\"" : ", \"") + IsoUtc(t) + "\"";
    }
    // Two arrays rather than one object, so that a database takes them as two array columns.
    std::string days;
    std::string dayCounts;
    for (const auto& [day, count] : OccurrencesPerDay(e, clock)) {
        days += (days.empty() ? "\"" : ", \"") + IsoDay(day) + "\"";
        dayCounts += (dayCounts.empty() ? "" : ", ") + std::to_string(count);
    }
    return "\"Category\": " + std::to_string(e.Category) +
           ", \"ErrorCount\": " + std::to_string(e.ErrorCount) +
           ", \"WeekCount\": " + std::to_string(e.WeekCount) +
           ", \"MonthCount\": " + std::to_string(e.MonthCount) +
           ", \"HalfYearCount\": " + std::to_string(e.HalfYearCount) + ", \"WeekFirstTime\": \"" +
           IsoUtc(e.WeekFirstTime) + "\", \"MonthFirstTime\": \"" + IsoUtc(e.MonthFirstTime) +
           "\", \"HalfYearFirstTime\": \"" + IsoUtc(e.HalfYearFirstTime) +
           "\", \"Linked\": " + std::to_string(e.Linked) + ", \"LastErrorDateTime\": \"" +
           IsoUtc(e.LastErrorDateTime) + "\", \"FirstErrorDateTime\": \"" +
           IsoUtc(e.FirstErrorDateTime) + "\", \"OccurrenceTimes\": [" + times + "], \"Days\": [" +
           days + "], \"DayCounts\": [" + dayCounts + "], \"AppName\": " + JsonString(e.AppName) +
           ", \"ErrorName\": " + JsonString(e.ErrorName) +
           ", \"AppPath\": " + JsonString(e.AppPath) + ", \"ReportId\": " + JsonString(e.ReportId) +
           ", \"ExceptionCode\": " + JsonString(e.ExceptionCode) +
           ", \"ErrorSummary\": " + JsonString(e.ErrorSummary) +
           ", \"ErrorText\": " + JsonText(e.ErrorText) +
           ", \"MessageTemplate\": " + JsonText(e.MessageTemplate) +
           ", \"ErrorTextParams\": " + JsonString(e.ErrorTextParams) +
           ", \"InsertionStrings\": " + JsonStrings(e.InsertionStrings) + ", \"MissingText\": " +
           JsonString(e.MissingText ? Ascii(TextPathTitle(*e.MissingText)) : Text()) +
           ", \"Queued\": " + std::to_string(e.Queued) +
           ", \"FaultModule\": " + JsonString(e.FaultModule) +
           ", \"FaultModuleVersion\": " + JsonString(e.FaultModuleVersion) +
           ", \"FaultOffset\": " + JsonString(e.FaultOffset) +
           ", \"Count\": " + Utf16ToUtf8(row.columns[2]) +
           ", \"Age\": " + JsonString(row.columns[3]);
}

std::string RenderJson(const ErrorCatalogue& catalogue, const std::vector<ErrorRow>& rows,
                       int interval, const Text& statusText, Clock& clock, const Text* machine,
                       const std::string& sources) {
    static const char* const kIntervals[] = {"", "week", "month", "6months", "all"};
    std::string out = "{\n  ";
    if (machine != nullptr)
        out += "\"Machine\": " + JsonString(*machine) + ",\n  ";
    out += "\"interval\": \"" + std::string(kIntervals[interval]) +
           "\",\n  \"status\": " + JsonString(statusText) +
           ",\n  \"totalErrors\": " + std::to_string(catalogue.TotalErrors) +
           ",\n  \"maxAgeDays\": " + std::to_string(catalogue.MaxAgeDays) + ",\n  \"errors\": [";
    bool first = true;
    for (const ErrorRow& row : rows) {
        const ErrorEntry* e = catalogue.Find(row.key);
        if (e == nullptr)
            continue;
        out += first ? "\n" : ",\n";
        first = false;
        out += "    {" + JsonErrorFields(*e, row, clock) + "}";
    }
    out += rows.empty() ? "]" : "\n  ]";
    if (!sources.empty())
        out += ",\n  \"sources\": " + sources;
    return out + "\n}\n";
}

}  // namespace veltrano
