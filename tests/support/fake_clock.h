// A clock for tests: a fixed "now", local time equal to UTC, dates as "YYYY-MM-DD HH:MM:SS".
#pragma once

#include <vector>

#include "base/filetime.h"
#include "platform/clock.h"
#include "platform/offline/host_clock.h"

namespace veltrano::testing {

// FILETIME of a UTC calendar time.
inline FileTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return *CalendarToFileTime({year, month, day, hour, minute, second, 0});
}

constexpr FileTime Seconds(int64_t s) {
    return static_cast<FileTime>(s) * kTicksPerSecond;
}

class FakeClock : public Clock {
  public:
    explicit FakeClock(FileTime now = At(2026, 12, 8, 12, 0, 0)) : now_(now) {}
    void Set(FileTime now) { now_ = now; }
    FileTime UtcNow() override { return now_; }
    int64_t NowSeconds() override { return FileTimeToUnixSeconds(now_); }
    std::optional<CalendarTime> UtcToLocal(FileTime utc) override {
        return FileTimeToCalendar(utc);
    }
    std::optional<int64_t> LocalToSeconds(const CalendarTime& local) override {
        auto ft = CalendarToFileTime(local);
        if (!ft)
            return std::nullopt;
        return FileTimeToUnixSeconds(*ft);
    }
    Text LocalDateTimeText(FileTime utc) override {
        auto t = FileTimeToCalendar(utc);
        return t ? IsoDateTimeText(*t) : Text();
    }
    void Sleep(uint32_t milliseconds) override { sleeps.push_back(milliseconds); }

    std::vector<uint32_t> sleeps;

  private:
    FileTime now_;
};

}  // namespace veltrano::testing
