// ISO 8601 texts of UTC times, written and read: the command line's times, the fleet's rows, the
// event logs' time values.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/filetime.h"
#include "base/text.h"

namespace veltrano {

// "2026-12-08".
std::string IsoDate(const CalendarTime& t);
// "2026-12-08T12:00:00" (no zone, no fraction), with ' ' in place of 'T' where asked.
std::string IsoDateTime(const CalendarTime& t, char separator = 'T');
// "2026-12-08T12:00:00Z", in whole seconds; empty for a value Windows has no calendar time for.
std::string IsoUtc(FileTime time);
// "2026-12-08T12:00:00.1234567Z", to the 100 ns unit, as the event logs write their times.
std::string IsoUtcTicks(FileTime time);
// A day counted from 1970-01-01 as "2026-12-08"; empty before 1601.
std::string IsoDay(int32_t day);

// "YYYY-MM-DDTHH:MM:SS" and an optional fraction ('.' and at least one digit; digits past the
// seventh count for nothing) at the start of a text; with allowBlank, ' ' may stand for 'T'.
// What follows is the caller's. Nothing for fields out of range (month 13, 30 February, a year
// before 1601).
struct IsoTimeRead {
    FileTime time = 0;
    size_t length = 0;  // the units read
};
std::optional<IsoTimeRead> ReadIsoTime(TextView text, bool allowBlank);

// Exactly "YYYY-MM-DDTHH:MM:SS[.fraction]Z", as the command line takes a time.
std::optional<FileTime> ParseIsoUtc(std::string_view text);

}  // namespace veltrano
