// Portable pieces of the host adapters: local calendar time to seconds (mktime), the date text of
// the portable adapters, and the user's language from the locale environment.
#include "platform/offline/host_clock.h"

#include <cstdlib>
#include <ctime>
#include <string>

#include "base/iso_time.h"

namespace veltrano {

std::mutex& TimeZoneLock() {
    static std::mutex lock;
    return lock;
}

std::optional<int64_t> LocalCalendarToSeconds(const CalendarTime& local) {
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = -1;
    std::lock_guard guard(TimeZoneLock());
    const time_t t = std::mktime(&tm);
    if (t == static_cast<time_t>(-1))
        return std::nullopt;
    return static_cast<int64_t>(t);
}

Text IsoDateTimeText(const CalendarTime& t) {
    const bool midnight = t.hour == 0 && t.minute == 0 && t.second == 0;
    return Ascii(midnight ? IsoDate(t) : IsoDateTime(t, ' '));
}

uint16_t HostSystemInfo::UserDefaultLanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0')
            continue;
        const std::string locale = value;
        return locale.rfind("de", 0) == 0 ? 0x0407 : 0x0409;
    }
    return 0x0409;
}

}  // namespace veltrano
