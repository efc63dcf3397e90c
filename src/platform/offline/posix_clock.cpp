// The clock of a POSIX host: the C runtime's time zone (TZ).
#include <chrono>
#include <ctime>
#include <thread>

#include "platform/offline/host_clock.h"

namespace veltrano {
namespace {

bool LocalTime(time_t t, std::tm& out) {
    std::lock_guard guard(TimeZoneLock());
    return localtime_r(&t, &out) != nullptr;
}

}  // namespace

FileTime HostClock::UtcNow() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const int64_t ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() / 100;
    return static_cast<FileTime>(ticks + kEpochDifferenceSeconds * 10'000'000);
}

int64_t HostClock::NowSeconds() {
    return static_cast<int64_t>(std::time(nullptr));
}

std::optional<CalendarTime> HostClock::UtcToLocal(FileTime utc) {
    if (!FileTimeToCalendar(utc))
        return std::nullopt;
    const int64_t seconds = FileTimeToUnixSeconds(utc);
    std::tm tm{};
    if (!LocalTime(static_cast<time_t>(seconds), tm))
        return std::nullopt;
    CalendarTime local;
    local.year = tm.tm_year + 1900;
    local.month = tm.tm_mon + 1;
    local.day = tm.tm_mday;
    local.hour = tm.tm_hour;
    local.minute = tm.tm_min;
    local.second = tm.tm_sec;
    local.milliseconds = static_cast<int>(utc % kTicksPerSecond / 10'000);
    if (!IsValidCalendarTime(local))
        return std::nullopt;
    return local;
}

std::optional<int64_t> HostClock::LocalToSeconds(const CalendarTime& local) {
    return LocalCalendarToSeconds(local);
}

Text HostClock::LocalDateTimeText(FileTime utc) {
    const auto local = UtcToLocal(utc);
    return local ? IsoDateTimeText(*local) : Text();
}

void HostClock::Sleep(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace veltrano
