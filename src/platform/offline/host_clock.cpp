// C runtime clock and locale.
#include "platform/offline/host_clock.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>

namespace veltrano {
namespace {

bool LocalTime(time_t t, std::tm& out) {
#if defined(_WIN32)
    return localtime_s(&out, &t) == 0;
#else
    return localtime_r(&t, &out) != nullptr;
#endif
}

}  // namespace

FileTime HostClock::UtcNow() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const int64_t ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() / 100;
    return static_cast<FileTime>(ticks + kEpochDifferenceSeconds * 10'000'000);
}

int64_t HostClock::NowSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

std::optional<CalendarTime> HostClock::UtcToLocal(FileTime utc) {
    if (!FileTimeToCalendar(utc)) return std::nullopt;
    const int64_t seconds = FileTimeToUnixSeconds(utc);
    std::tm tm{};
    if (!LocalTime(static_cast<time_t>(seconds), tm)) return std::nullopt;
    CalendarTime local;
    local.year = tm.tm_year + 1900;
    local.month = tm.tm_mon + 1;
    local.day = tm.tm_mday;
    local.hour = tm.tm_hour;
    local.minute = tm.tm_min;
    local.second = tm.tm_sec;
    local.milliseconds = static_cast<int>(utc % kTicksPerSecond / 10'000);
    if (!IsValidCalendarTime(local)) return std::nullopt;
    return local;
}

std::optional<int64_t> HostClock::LocalToSeconds(const CalendarTime& local) {
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = -1;
    const time_t t = std::mktime(&tm);
    if (t == static_cast<time_t>(-1)) return std::nullopt;
    return static_cast<int64_t>(t);
}

Text IsoDateTimeText(const CalendarTime& t) {
    char buffer[48];
    if (t.hour == 0 && t.minute == 0 && t.second == 0) {
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", t.year, t.month, t.day);
    } else {
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month,
                      t.day, t.hour, t.minute, t.second);
    }
    return Ascii(buffer);
}

Text HostClock::LocalDateTimeText(FileTime utc) {
    const auto local = UtcToLocal(utc);
    return local ? IsoDateTimeText(*local) : Text();
}

void HostClock::Sleep(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

uint16_t HostSystemInfo::UserDefaultLanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0') continue;
        const std::string locale = value;
        return locale.rfind("de", 0) == 0 ? 0x0407 : 0x0409;
    }
    return 0x0409;
}

}  // namespace veltrano
