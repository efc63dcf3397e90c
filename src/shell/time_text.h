// Time and date texts: local date-time text, relative ages, whole days since a time, calendar
// month shifts for the interval boundaries, and 64-bit numbers as decimal text.
#pragma once

#include <cstdint>
#include <optional>

#include "base/filetime.h"
#include "base/text.h"
#include "platform/clock.h"

namespace veltrano {

Text FileTimeToLocalText(Clock& clock, FileTime time);
// The text holds a FILETIME as an unsigned decimal number.
Text FileTimeTextToLocalText(Clock& clock, TextView text);

// "3 hours ago" in the interface language; "The input time is in the future" for a later time.
Text FormatAge(Clock& clock, FileTime time);

// Whole days from the time to now, -1 for a time in the future.
int32_t DaysSince(Clock& clock, FileTime time);

// The time moved by whole calendar months on the local calendar, returned as the local wall-clock
// time written as a FILETIME; nullopt when the time cannot be converted.
std::optional<FileTime> ShiftMonths(Clock& clock, FileTime time, int months);

Text Int64ToText(int64_t value);

// Seconds since 1970 of a FILETIME by the local calendar round trip (0 for a local year before
// 1900, or when the conversion fails).
int64_t EpochSeconds(Clock& clock, FileTime time);

}  // namespace veltrano
