// ZIP time stamps.
#include "export/zip_times.h"

namespace veltrano::zip {
namespace {

constexpr int kFirstDosYear = 1980;
constexpr int kLastDosYear = 2107;
constexpr int kFirstUnixYear = 1970;
constexpr int kLastUnixYear = 2037;

}  // namespace

DosDateTime ToDosDateTime(FileTime time) {
    const auto calendar = FileTimeToCalendar(time);
    CalendarTime t = calendar.value_or(CalendarTime{kLastDosYear + 1});
    if (t.year < kFirstDosYear)
        t = CalendarTime{kFirstDosYear, 1, 1, 0, 0, 0, 0};
    if (t.year > kLastDosYear)
        t = CalendarTime{kLastDosYear, 12, 31, 23, 59, 58, 0};
    DosDateTime dos;
    dos.date = static_cast<uint16_t>((t.year - kFirstDosYear) << 9 | t.month << 5 | t.day);
    dos.time = static_cast<uint16_t>(t.hour << 11 | t.minute << 5 | t.second / 2);
    return dos;
}

uint32_t ToUnixTime(FileTime time) {
    const int64_t secondsOfDay = static_cast<int64_t>(time / kTicksPerSecond % 86'400);
    const auto calendar = FileTimeToCalendar(time);
    const int year = calendar ? calendar->year : kLastUnixYear + 1;
    if (year < kFirstUnixYear)
        return static_cast<uint32_t>(secondsOfDay);
    if (year > kLastUnixYear) {
        const auto lastDay = CalendarToFileTime({kLastUnixYear, 12, 31, 0, 0, 0, 0});
        return static_cast<uint32_t>(FileTimeToUnixSeconds(*lastDay) + secondsOfDay);
    }
    return static_cast<uint32_t>(FileTimeToUnixSeconds(time));
}

}  // namespace veltrano::zip
