// Time and date texts.
#include "shell/time_text.h"

#include "shell/local_texts.h"

namespace veltrano {

Text FileTimeToLocalText(Clock& clock, FileTime time) {
    return clock.LocalDateTimeText(time);
}

Text FileTimeTextToLocalText(Clock& clock, TextView text) {
    return FileTimeToLocalText(clock, ParseUnsignedDecimal(text));
}

int64_t EpochSeconds(Clock& clock, FileTime time) {
    const auto local = clock.UtcToLocal(time);
    if (!local || local->year < 1900)
        return 0;
    return clock.LocalToSeconds(*local).value_or(0);
}

Text FormatAge(Clock& clock, FileTime time) {
    const int64_t t = EpochSeconds(clock, time);
    const int64_t now = clock.NowSeconds();
    if (t > now)
        return u"The input time is in the future";
    const int64_t d = now - t;
    const int64_t days = d / 86400;
    if (days >= 2)
        return LocalText(LT_AGO_DAYS, DecimalText(days));
    if (days == 1)
        return LocalText(LT_AGO_ONE_DAY);
    const int64_t hours = d / 3600;
    if (hours >= 2)
        return LocalText(LT_AGO_HOURS, DecimalText(hours));
    if (hours == 1)
        return LocalText(LT_AGO_ONE_HOUR);
    const int64_t minutes = d / 60;
    if (minutes >= 2)
        return LocalText(LT_AGO_MINUTES, DecimalText(minutes));
    if (minutes == 1)
        return LocalText(LT_AGO_ONE_MINUTE);
    if (d == 1)
        return LocalText(LT_AGO_ONE_SECOND);
    return LocalText(LT_AGO_SECONDS, DecimalText(d));
}

int32_t DaysSince(Clock& clock, FileTime time) {
    const int64_t t = EpochSeconds(clock, time);
    const int64_t now = clock.NowSeconds();
    if (t > now)
        return -1;
    return static_cast<int32_t>((now - t) / 86400);
}

std::optional<FileTime> ShiftMonths(Clock& clock, FileTime time, int months) {
    auto local = clock.UtcToLocal(time);
    if (!local)
        return std::nullopt;
    const int k = local->month - 1 + months;
    const int yearShift = k >= 0 ? k / 12 : -((-k + 11) / 12);
    local->year += yearShift;
    local->month = k - yearShift * 12 + 1;
    while (local->day > 1 && local->day > DaysInMonth(local->year, local->month))
        --local->day;
    return CalendarToFileTime(*local);
}

Text Int64ToText(int64_t value) {
    return DecimalText(value);
}

}  // namespace veltrano
