// Clock, locale and system facts over the Win32 API.
#pragma once

#include "platform/clock.h"

namespace veltrano {

class Win32Clock : public Clock {
  public:
    FileTime UtcNow() override;
    int64_t NowSeconds() override;
    std::optional<CalendarTime> UtcToLocal(FileTime utc) override;
    std::optional<int64_t> LocalToSeconds(const CalendarTime& local) override;
    Text LocalDateTimeText(FileTime utc) override;
    void Sleep(uint32_t milliseconds) override;
};

class Win32SystemInfo : public SystemInfo {
  public:
    uint16_t UserDefaultLanguage() override;
    WindowsVersion Version() override;
    std::optional<uint32_t> VolumeSerial(TextView root) override;
};

}  // namespace veltrano
