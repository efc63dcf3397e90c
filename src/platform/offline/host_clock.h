// Clock and locale of a POSIX host (the C runtime's time zone, TZ), dates rendered as
// "YYYY-MM-DD HH:MM:SS" (the date alone at midnight); and the clock that stands still.
#pragma once

#include <mutex>

#include "platform/clock.h"

namespace veltrano {

class HostClock : public Clock {
  public:
    FileTime UtcNow() override;
    int64_t NowSeconds() override;
    std::optional<CalendarTime> UtcToLocal(FileTime utc) override;
    std::optional<int64_t> LocalToSeconds(const CalendarTime& local) override;
    Text LocalDateTimeText(FileTime utc) override;
    void Sleep(uint32_t milliseconds) override;
};

// The C runtime's time-zone state is process-wide (mktime and localtime_r may reload it): its
// callers hold this lock, so that machines scanned on threads of their own do not race on it.
std::mutex& TimeZoneLock();

// A local calendar time as seconds since 1970 by the C runtime's mktime (daylight saving
// detected); nullopt when it cannot be converted.
std::optional<int64_t> LocalCalendarToSeconds(const CalendarTime& local);

// The date text of the portable adapters.
Text IsoDateTimeText(const CalendarTime& local);

// A clock that never pauses and, given a time, stands still at it (for reproducible runs); the
// time zone and texts come from the wrapped clock.
class FixedClock : public Clock {
  public:
    FixedClock(Clock& zone, std::optional<FileTime> now) : zone_(zone), now_(now) {}
    FileTime UtcNow() override { return now_ ? *now_ : zone_.UtcNow(); }
    int64_t NowSeconds() override {
        return now_ ? FileTimeToUnixSeconds(*now_) : zone_.NowSeconds();
    }
    std::optional<CalendarTime> UtcToLocal(FileTime utc) override { return zone_.UtcToLocal(utc); }
    std::optional<int64_t> LocalToSeconds(const CalendarTime& local) override {
        return zone_.LocalToSeconds(local);
    }
    Text LocalDateTimeText(FileTime utc) override { return zone_.LocalDateTimeText(utc); }
    void Sleep(uint32_t) override {}

  private:
    Clock& zone_;
    std::optional<FileTime> now_;
};

// System facts of a host that is not the analysed Windows machine: the user language from the
// locale environment (LANG and friends; German or English), no Windows version, no volume.
class HostSystemInfo : public SystemInfo {
  public:
    uint16_t UserDefaultLanguage() override;
    WindowsVersion Version() override { return {}; }
    std::optional<uint32_t> VolumeSerial(TextView) override { return std::nullopt; }
};

}  // namespace veltrano
