// Clock and locale port: the current time, the local time zone and the locale's date texts.
#pragma once

#include <cstdint>
#include <optional>

#include "base/filetime.h"
#include "base/text.h"

namespace veltrano {

class Clock {
  public:
    virtual ~Clock() = default;
    // The current UTC time as a FILETIME (GetSystemTime + SystemTimeToFileTime).
    virtual FileTime UtcNow() = 0;
    // The current time in whole seconds since 1970 (the C runtime's time()).
    virtual int64_t NowSeconds() = 0;
    // A UTC FILETIME as local calendar time of the current zone; nullopt when it cannot be
    // converted.
    virtual std::optional<CalendarTime> UtcToLocal(FileTime utc) = 0;
    // A local calendar time as seconds since 1970 (mktime semantics, daylight saving detected).
    virtual std::optional<int64_t> LocalToSeconds(const CalendarTime& local) = 0;
    // The local date and time of a FILETIME in the system locale's short formats (the date alone
    // at midnight); "" when the time cannot be converted, "Invalid DateTime" when it cannot be
    // rendered.
    virtual Text LocalDateTimeText(FileTime utc) = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;
};

struct WindowsVersion {
    int major = 0;
    int minor = 0;
};

// Facts about the machine and the user that the program reports or decides on.
class SystemInfo {
  public:
    virtual ~SystemInfo() = default;
    virtual uint16_t UserDefaultLanguage() = 0;  // GetUserDefaultLangID
    virtual WindowsVersion Version() = 0;        // from GetVersion
    // The serial number of the volume whose root is given ("C:\"); nullopt when the query fails.
    virtual std::optional<uint32_t> VolumeSerial(TextView root) = 0;
};

}  // namespace veltrano
