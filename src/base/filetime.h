// FILETIME values (100 ns units since 1601-01-01 UTC) and the calendar arithmetic on them that
// needs no time zone.
#pragma once

#include <cstdint>
#include <optional>

namespace veltrano {

using FileTime = uint64_t;

constexpr uint64_t kTicksPerSecond = 10'000'000;
constexpr uint64_t kTicksPerDay = 86'400 * kTicksPerSecond;
constexpr uint64_t kTicksPerWeek = 7 * kTicksPerDay;  // 6,048,000,000,000
// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kEpochDifferenceSeconds = 11'644'473'600;

// A calendar time as SYSTEMTIME holds it (the day of the week is not kept).
struct CalendarTime {
    int year = 1601;
    int month = 1;  // 1 to 12
    int day = 1;    // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;
    bool operator==(const CalendarTime&) const = default;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsValidCalendarTime(const CalendarTime& t);

// SystemTimeToFileTime: years 1601 to 30827; nullopt for an invalid calendar time.
std::optional<FileTime> CalendarToFileTime(const CalendarTime& t);
// FileTimeToSystemTime: nullopt for values with the top bit set (as Windows refuses them).
std::optional<CalendarTime> FileTimeToCalendar(FileTime ft);

// Seconds since 1970 (signed, may be negative) and back; the back conversion refuses times
// before 1601.
int64_t FileTimeToUnixSeconds(FileTime ft);
std::optional<FileTime> UnixSecondsToFileTime(int64_t seconds);

}  // namespace veltrano
