// ISO 8601 UTC texts over the FILETIME calendar arithmetic.
#include "base/iso_time.h"

#include <cstdio>

namespace veltrano {
namespace {

constexpr size_t kDateTimeLength = 19;  // "YYYY-MM-DDTHH:MM:SS"
constexpr int kFractionDigits = 7;      // 100 ns units

template <typename Char>
std::optional<IsoTimeRead> Read(std::basic_string_view<Char> s, bool allowBlank) {
    if (s.size() < kDateTimeLength)
        return std::nullopt;
    auto digits = [&](size_t at, size_t n, int& v) {
        v = 0;
        for (size_t i = at; i < at + n; ++i) {
            if (s[i] < '0' || s[i] > '9')
                return false;
            v = v * 10 + (s[i] - '0');
        }
        return true;
    };
    CalendarTime t;
    if (!digits(0, 4, t.year) || !digits(5, 2, t.month) || !digits(8, 2, t.day) ||
        !digits(11, 2, t.hour) || !digits(14, 2, t.minute) || !digits(17, 2, t.second)) {
        return std::nullopt;
    }
    if (s[4] != '-' || s[7] != '-' || !(s[10] == 'T' || (allowBlank && s[10] == ' ')) ||
        s[13] != ':' || s[16] != ':') {
        return std::nullopt;
    }
    size_t end = kDateTimeLength;
    uint64_t ticks = 0;
    if (end + 1 < s.size() && s[end] == '.' && s[end + 1] >= '0' && s[end + 1] <= '9') {
        uint64_t scale = kTicksPerSecond;
        for (++end; end < s.size() && s[end] >= '0' && s[end] <= '9'; ++end) {
            scale /= 10;
            ticks += static_cast<uint64_t>(s[end] - '0') * scale;
        }
    }
    const auto base = CalendarToFileTime(t);
    if (!base)
        return std::nullopt;
    return IsoTimeRead{*base + ticks, end};
}

}  // namespace

std::string IsoDate(const CalendarTime& t) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", t.year, t.month, t.day);
    return buffer;
}

std::string IsoDateTime(const CalendarTime& t, char separator) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d%c%02d:%02d:%02d", t.year, t.month, t.day,
                  separator, t.hour, t.minute, t.second);
    return buffer;
}

std::string IsoUtc(FileTime time) {
    const auto t = FileTimeToCalendar(time);
    return t ? IsoDateTime(*t) + 'Z' : std::string();
}

std::string IsoUtcTicks(FileTime time) {
    const auto t = FileTimeToCalendar(time);
    if (!t)
        return {};
    char fraction[16];
    std::snprintf(fraction, sizeof fraction, ".%0*uZ", kFractionDigits,
                  static_cast<unsigned>(time % kTicksPerSecond));
    return IsoDateTime(*t) + fraction;
}

std::string IsoDay(int32_t day) {
    const int64_t seconds = static_cast<int64_t>(day) * 86'400 + kEpochDifferenceSeconds;
    if (seconds < 0)
        return {};
    const auto t = FileTimeToCalendar(static_cast<FileTime>(seconds) * kTicksPerSecond);
    return t ? IsoDate(*t) : std::string();
}

std::optional<IsoTimeRead> ReadIsoTime(TextView text, bool allowBlank) {
    return Read(text, allowBlank);
}

std::optional<FileTime> ParseIsoUtc(std::string_view text) {
    const auto read = Read(text, false);
    if (!read || read->length + 1 != text.size() || text[read->length] != 'Z')
        return std::nullopt;
    return read->time;
}

}  // namespace veltrano
