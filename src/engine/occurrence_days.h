// An entry's occurrences per day of the analysed machine's calendar, for whatever shows counts by
// day (the report page's bars, the JSON's day counts).
#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "engine/catalogue.h"
#include "platform/clock.h"

namespace veltrano {

// Days since 1970-01-01 of the local calendar date of a UTC time; nullopt when it cannot be
// converted.
std::optional<int32_t> LocalDay(Clock& clock, FileTime utc);

// Local day -> occurrences that day, oldest day first.
std::map<int32_t, int32_t> OccurrencesPerDay(const ErrorEntry& entry, Clock& clock);

}  // namespace veltrano
