// The error list's content.
#include "engine/error_rows.h"

#include "shell/local_texts.h"
#include "shell/time_text.h"

namespace veltrano {
namespace {

constexpr int kTooltipLines = 8;
constexpr int kAllTimesUpTo = 10;

FileTime IntervalFirstTime(const ErrorEntry& entry, int interval) {
    switch (interval) {
        case IntervalWeek:
            return entry.WeekFirstTime;
        case IntervalMonth:
            return entry.MonthFirstTime;
        case IntervalHalfYear:
            return entry.HalfYearFirstTime;
        default:
            return entry.FirstErrorDateTime;
    }
}

}  // namespace

Text OccurrenceTooltip(const ErrorEntry& entry, int interval, Clock& clock) {
    const int32_t count = ErrorCatalogue::IntervalCount(entry, interval);
    const int limit = count > kAllTimesUpTo ? kTooltipLines : count;
    Text tip = LocalText(LT_RECORDED_AT) + u"\r\n";
    int lines = 0;
    for (FileTime t : entry.OccurrenceTimes) {
        if (lines >= limit)
            break;
        tip += FileTimeToLocalText(clock, t) + u"\r\n";
        ++lines;
    }
    if (count > kAllTimesUpTo) {
        tip +=
            u"...\r\n" + FileTimeToLocalText(clock, IntervalFirstTime(entry, interval)) + u"\r\n";
    }
    return tip;
}

std::vector<ErrorRow> BuildErrorRows(const ErrorCatalogue& catalogue, int interval, Clock& clock) {
    std::vector<ErrorRow> rows;
    const FileTime start = catalogue.IntervalStart(interval);
    for (const auto& [time, key] : catalogue.RecencyIndex) {
        const ErrorEntry* entry = catalogue.Find(key);
        if (entry == nullptr || entry->Linked == 1)
            continue;
        if (entry->LastErrorDateTime < start)
            continue;
        ErrorRow row;
        row.key = key;
        row.image = entry->Category - 1;
        row.columns = {entry->AppName, entry->ErrorName,
                       DecimalText(ErrorCatalogue::IntervalCount(*entry, interval)),
                       FormatAge(clock, entry->LastErrorDateTime), entry->AppPath};
        row.tooltip = OccurrenceTooltip(*entry, interval, clock);
        row.last = entry->LastErrorDateTime;
        rows.push_back(std::move(row));
    }
    return rows;
}

Text IntervalStatusText(const ErrorCatalogue& catalogue, int interval, size_t rows, Clock& clock) {
    const int32_t days = interval == IntervalAll
                             ? catalogue.MaxAgeDays
                             : DaysSince(clock, catalogue.IntervalStart(interval));
    Text text = LocalText(LT_ERRORS_FOUND, UnsignedText(rows), DecimalText(days));
    if (interval != IntervalAll) {
        text += u" (" +
                LocalText(LT_ERRORS_TOTAL, DecimalText(catalogue.TotalErrors),
                          DecimalText(catalogue.MaxAgeDays)) +
                u")";
    }
    return text;
}

IntervalCounts CountIntervals(const ErrorCatalogue& catalogue) {
    IntervalCounts counts;
    for (const auto& [key, entry] : catalogue.entries) {
        if (entry.Linked == 1)
            continue;
        if (entry.LastErrorDateTime >= catalogue.WeekStart) {
            ++counts.week;
            ++counts.month;
            ++counts.halfYear;
        } else if (entry.LastErrorDateTime >= catalogue.MonthStart) {
            ++counts.month;
            ++counts.halfYear;
        } else if (entry.LastErrorDateTime >= catalogue.HalfYearStart) {
            ++counts.halfYear;
        }
    }
    return counts;
}

int FirstIntervalWithErrors(const ErrorCatalogue& catalogue) {
    const IntervalCounts counts = CountIntervals(catalogue);
    if (counts.week > 0)
        return IntervalWeek;
    if (counts.month > 0)
        return IntervalMonth;
    if (counts.halfYear > 0)
        return IntervalHalfYear;
    return IntervalWeek;
}

int FirstIntervalWithErrorsOrAll(const ErrorCatalogue& catalogue) {
    const int first = FirstIntervalWithErrors(catalogue);
    if (first != IntervalWeek || CountIntervals(catalogue).week > 0)
        return first;
    for (const auto& [key, entry] : catalogue.entries) {
        if (entry.Linked != 1)
            return IntervalAll;
    }
    return IntervalWeek;
}

}  // namespace veltrano
