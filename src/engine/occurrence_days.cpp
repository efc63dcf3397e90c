// Occurrences per local day, from the entry's quarter-hour counts.
#include "engine/occurrence_days.h"

namespace veltrano {
namespace {
constexpr int64_t kDaysFrom1601To1970 = kEpochDifferenceSeconds / 86'400;
}  // namespace

std::optional<int32_t> LocalDay(Clock& clock, FileTime utc) {
    const auto local = clock.UtcToLocal(utc);
    if (!local)
        return std::nullopt;
    const auto midnight = CalendarToFileTime({local->year, local->month, local->day, 0, 0, 0, 0});
    if (!midnight)
        return std::nullopt;
    return static_cast<int32_t>(static_cast<int64_t>(*midnight / kTicksPerDay) -
                                kDaysFrom1601To1970);
}

std::map<int32_t, int32_t> OccurrencesPerDay(const ErrorEntry& entry, Clock& clock) {
    std::map<int32_t, int32_t> days;
    for (const auto& [quarterHour, count] : entry.QuarterHourCounts) {
        if (auto day = LocalDay(clock, QuarterHourStart(quarterHour)))
            days[*day] += count;
    }
    return days;
}

}  // namespace veltrano
