// The page model: everything the report page shows, worked out on the program's side so that the
// page shows the window's own texts (ages, occurrence tooltips, status lines, lookup links) and
// counts days by the analysed machine's calendar.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "base/text.h"
#include "report/html/page_crash.h"
#include "report/html/report_page.h"

namespace veltrano {

constexpr int kPageIntervals = 4;  // week, month, six months, all

// One distinct error as the list shows it.
struct PageEntry {
    int machine = 0;  // index into PageModel::machines
    int32_t category = 0;
    Text appName;
    Text errorName;
    Text appPath;
    int64_t lastSeconds = 0;  // latest occurrence, seconds since 1970 UTC (for sorting by age)
    Text age;                 // the window's relative age
    // Per interval: the count shown, the count and age cells' tooltip and the lookup link;
    // no tooltip where the entry is not listed, no link where the machine has no system facts.
    std::array<int32_t, kPageIntervals> counts{};
    std::array<std::optional<Text>, kPageIntervals> tooltips;
    std::array<std::optional<Text>, kPageIntervals> lookups;
    Text summary;
    std::optional<Text> detail;  // the joined detail text
    // Occurrences per local calendar day (days since 1970-01-01), oldest day first.
    std::vector<std::pair<int32_t, int32_t>> days;
    std::optional<PageDump> dump;  // the crash dump joined to it
    std::optional<PageStop> stop;  // the blue screen it is
};

struct PageMachine {
    Text name;
    std::vector<ReportFact> facts;
    std::array<int32_t, kPageIntervals> rowCounts{};  // rows listed per interval
    std::array<Text, kPageIntervals> statusTexts;     // the window's status line per interval
    int firstInterval = 1;  // the interval the page opens on: the first with errors, else "all"
    int32_t today = 0;      // local day of "now"
    Text scanTime;          // "now" as the machine's date text
};

struct PageModel {
    int language = 0;  // kLanguageEnglish / kLanguageGerman
    std::vector<PageMachine> machines;
    std::vector<PageEntry> entries;  // per machine in the window's order (newest first)
};

// Builds the model in the interface language. Sets the process-wide path variables of each
// machine in turn (for the lookup links).
PageModel BuildPageModel(const ReportPage& page);

}  // namespace veltrano
