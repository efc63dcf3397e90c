// Calendar arithmetic for FILETIME values (proleptic Gregorian calendar, as Windows uses).
#include "base/filetime.h"

namespace veltrano {
namespace {

// Days from 1970-01-01 to the given civil date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

}  // namespace

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidCalendarTime(const CalendarTime& t) {
    return t.year >= 1601 && t.year <= 30827 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
           t.day <= DaysInMonth(t.year, t.month) && t.hour >= 0 && t.hour < 24 && t.minute >= 0 &&
           t.minute < 60 && t.second >= 0 && t.second < 60 && t.milliseconds >= 0 &&
           t.milliseconds < 1000;
}

std::optional<FileTime> CalendarToFileTime(const CalendarTime& t) {
    if (!IsValidCalendarTime(t))
        return std::nullopt;
    const int64_t days = DaysFromCivil(t.year, t.month, t.day) - DaysFromCivil(1601, 1, 1);
    const int64_t seconds = days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
    return static_cast<FileTime>(seconds) * kTicksPerSecond +
           static_cast<FileTime>(t.milliseconds) * 10'000;
}

std::optional<CalendarTime> FileTimeToCalendar(FileTime ft) {
    if (ft >> 63)
        return std::nullopt;
    CalendarTime t;
    const uint64_t totalSeconds = ft / kTicksPerSecond;
    const int64_t days = static_cast<int64_t>(totalSeconds / 86400);
    const int64_t secondOfDay = static_cast<int64_t>(totalSeconds % 86400);
    CivilFromDays(days + DaysFromCivil(1601, 1, 1), t.year, t.month, t.day);
    t.hour = static_cast<int>(secondOfDay / 3600);
    t.minute = static_cast<int>(secondOfDay / 60 % 60);
    t.second = static_cast<int>(secondOfDay % 60);
    t.milliseconds = static_cast<int>(ft % kTicksPerSecond / 10'000);
    return t;
}

int64_t FileTimeToUnixSeconds(FileTime ft) {
    return static_cast<int64_t>(ft / kTicksPerSecond) - kEpochDifferenceSeconds;
}

std::optional<FileTime> UnixSecondsToFileTime(int64_t seconds) {
    if (seconds < -kEpochDifferenceSeconds)
        return std::nullopt;
    return static_cast<FileTime>(seconds + kEpochDifferenceSeconds) * kTicksPerSecond;
}

}  // namespace veltrano
