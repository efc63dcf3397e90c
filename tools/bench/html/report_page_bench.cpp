// Writes the report page of a synthetic machine (5,000 distinct errors, 50,000 occurrences over
// thirteen months) and, as its peer, the same rows as one plain HTML table, for
// report_page_bench.py to open in headless Chromium; prints the page's writing time and sizes.
//   report_page_bench OUT_DIR
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "engine/error_rows.h"
#include "platform/offline/host_clock.h"
#include "report/html/page_writer.h"
#include "shell/local_texts.h"
#include "support/synthetic_catalogue.h"

using namespace veltrano;

namespace {

constexpr size_t kDistinct = 5'000;
constexpr int kOccurrences = 50'000;
constexpr FileTime kNow = 134'167'968'000'000'000;  // 2026-03-01
constexpr FileTime kDay = kTicksPerDay;

// The synthetic entries with their occurrences moved into the thirteen months before kNow (ten
// on average, the newest errors the most frequent) and the interval counts the scan would keep.
ErrorCatalogue SyntheticMachine() {
    ErrorCatalogue made;
    testing::AddSyntheticEntries(made, kDistinct);
    ErrorCatalogue catalogue;
    catalogue.WeekStart = kNow - 7 * kDay;
    catalogue.MonthStart = kNow - 31 * kDay;
    catalogue.HalfYearStart = kNow - 184 * kDay;
    uint32_t state = 7;
    auto next = [&state](uint32_t below) {
        state = state * 1'103'515'245u + 12'345u;
        return (state >> 8) % below;
    };
    // 1 to 19 occurrences in turn (ten on average); the last entry takes what is left.
    int left = kOccurrences;
    size_t i = 0;
    for (auto& [key, source] : made.entries) {
        ErrorEntry e = source;
        const int count = ++i == kDistinct ? std::max(1, left) : 1 + static_cast<int>(i * 7 % 19);
        left -= count;
        e.OccurrenceTimes.clear();
        e.QuarterHourCounts.clear();
        const FileTime latest = kNow - static_cast<FileTime>(next(400) * next(400) / 400) * kDay -
                                next(86'400) * kTicksPerSecond;
        FileTime t = latest;
        while (static_cast<int>(e.OccurrenceTimes.size()) < count) {
            e.OccurrenceTimes.insert(t);
            ++e.QuarterHourCounts[QuarterHourOf(t)];
            t -= (1 + next(20 * 86'400)) * kTicksPerSecond;
        }
        e.ErrorCount = count;
        e.LastErrorDateTime = *e.OccurrenceTimes.begin();
        e.FirstErrorDateTime = *e.OccurrenceTimes.rbegin();
        auto within = [&e](FileTime start, int32_t& n, FileTime& first) {
            n = 0;
            for (FileTime o : e.OccurrenceTimes) {
                if (o >= start) {
                    ++n;
                    first = o;
                }
            }
        };
        within(catalogue.WeekStart, e.WeekCount, e.WeekFirstTime);
        within(catalogue.MonthStart, e.MonthCount, e.MonthFirstTime);
        within(catalogue.HalfYearStart, e.HalfYearCount, e.HalfYearFirstTime);
        catalogue.Add(std::move(e));
    }
    catalogue.TotalErrors = static_cast<int32_t>(kDistinct);
    catalogue.MaxAgeDays = 400;
    return catalogue;
}

std::string Escaped(const Text& text) {
    std::string out;
    for (char c : Utf16ToUtf8(text)) {
        if (c == '<')
            out += "&lt;";
        else if (c == '&')
            out += "&amp;";
        else
            out += c;
    }
    return out;
}

// The peer: every row of "All" as a plain table, the way a report without a script would list it.
std::string PlainTable(const ErrorCatalogue& catalogue, Clock& clock) {
    std::string html =
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>rows</title>"
        "</head><body><table>\n";
    for (const ErrorRow& row : BuildErrorRows(catalogue, IntervalAll, clock)) {
        html += "<tr>";
        for (const Text& cell : row.columns)
            html += "<td title=\"" + Escaped(row.tooltip) + "\">" + Escaped(cell) + "</td>";
        html += "</tr>\n";
    }
    return html + "</table></body></html>\n";
}

bool Save(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT_DIR\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    InitLocalTexts(0x0409, u"");
    HostClock zone;
    FixedClock clock(zone, kNow);
    HostSystemInfo system;
    const ErrorCatalogue catalogue = SyntheticMachine();
    size_t occurrences = 0;
    for (const auto& [key, e] : catalogue.entries)
        occurrences += e.OccurrenceTimes.size();

    ReportPage page;
    page.fileVersion = u"2.0.0.0";
    ReportMachine machine;
    machine.name = u"SYNTHETIC-PC";
    machine.catalogue = &catalogue;
    machine.clock = &clock;
    machine.system = &system;
    page.machines.push_back(machine);

    const auto started = std::chrono::steady_clock::now();
    const std::string html = RenderReportPage(page);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const std::string table = PlainTable(catalogue, clock);
    if (!Save(folder + "/synthetic.html", html) || !Save(folder + "/plain_table.html", table)) {
        std::fprintf(stderr, "cannot write into %s\n", folder.c_str());
        return 1;
    }
    std::printf("synthetic machine: %zu distinct errors, %zu occurrences\n",
                catalogue.entries.size(), occurrences);
    std::printf("page written in %.0f ms: %.2f MB (plain table of the same rows: %.2f MB)\n",
                seconds * 1000, html.size() / 1e6, table.size() / 1e6);
    return 0;
}
