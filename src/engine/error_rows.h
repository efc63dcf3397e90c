// What the error list shows for an interval: the rows in recency order with their five cell
// texts, icon and occurrence tooltip, the status text, the per-interval counts and the first
// interval that has errors. Shared by the window and the command line.
#pragma once

#include <array>
#include <vector>

#include "base/text.h"
#include "engine/catalogue.h"
#include "platform/clock.h"

namespace veltrano {

struct ErrorRow {
    Text key;                     // the entry's EntryKey
    int image = 0;                // Category - 1
    std::array<Text, 5> columns;  // AppName, ErrorName, count, age, AppPath
    Text tooltip;                 // the occurrence list of the count and age cells
    FileTime last = 0;            // the entry's LastErrorDateTime
};

// The rows of an interval, newest first; joined report entries are left out. The caller holds
// CatalogueLock.
std::vector<ErrorRow> BuildErrorRows(const ErrorCatalogue& catalogue, int interval, Clock& clock);

// "Error was recorded at:" and the entry's occurrence times in the interval.
Text OccurrenceTooltip(const ErrorEntry& entry, int interval, Clock& clock);

// "12 errors found, occurred in the last 7 days (Total: 340 errors in the last 412 days)".
Text IntervalStatusText(const ErrorCatalogue& catalogue, int interval, size_t rows, Clock& clock);

struct IntervalCounts {
    int32_t week = 0;
    int32_t month = 0;
    int32_t halfYear = 0;
};
// Entries (not joined) last seen in each interval. The caller holds CatalogueLock.
IntervalCounts CountIntervals(const ErrorCatalogue& catalogue);

// The interval shown at the end of a scan: last week, else last month, else six months, else
// last week again (never "all").
int FirstIntervalWithErrors(const ErrorCatalogue& catalogue);

// The interval a report of an analysed drive opens on: the same choice, then "all", since a
// drive is mostly analysed long after its last error. Last week when there is no error at all.
int FirstIntervalWithErrorsOrAll(const ErrorCatalogue& catalogue);

}  // namespace veltrano
