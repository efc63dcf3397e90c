// Win32 time conversions: FileTimeToSystemTime, SystemTimeToTzSpecificLocalTime, and the OLE
// automation date round trip that renders a date in the system locale's formats.
#include "platform/win32/win32_clock.h"

#include <windows.h>
#include <oleauto.h>

#include <ctime>

#include "platform/offline/host_clock.h"
#include "platform/win32/wide.h"

namespace veltrano {
namespace {

FILETIME ToFILETIME(FileTime ft) {
    FILETIME out;
    out.dwLowDateTime = static_cast<DWORD>(ft);
    out.dwHighDateTime = static_cast<DWORD>(ft >> 32);
    return out;
}

std::optional<SYSTEMTIME> LocalSystemTime(FileTime utc) {
    const FILETIME ft = ToFILETIME(utc);
    SYSTEMTIME universal, local;
    if (!::FileTimeToSystemTime(&ft, &universal))
        return std::nullopt;
    if (!::SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
        return std::nullopt;
    return local;
}

struct BstrOwner {
    BSTR text = nullptr;
    ~BstrOwner() {
        if (text != nullptr)
            ::SysFreeString(text);
    }
};

}  // namespace

FileTime Win32Clock::UtcNow() {
    SYSTEMTIME st;
    ::GetSystemTime(&st);
    FILETIME ft;
    ::SystemTimeToFileTime(&st, &ft);
    return (static_cast<FileTime>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

int64_t Win32Clock::NowSeconds() {
    return static_cast<int64_t>(std::time(nullptr));
}

std::optional<CalendarTime> Win32Clock::UtcToLocal(FileTime utc) {
    const auto local = LocalSystemTime(utc);
    if (!local)
        return std::nullopt;
    CalendarTime t;
    t.year = local->wYear;
    t.month = local->wMonth;
    t.day = local->wDay;
    t.hour = local->wHour;
    t.minute = local->wMinute;
    t.second = local->wSecond;
    t.milliseconds = local->wMilliseconds;
    return t;
}

std::optional<int64_t> Win32Clock::LocalToSeconds(const CalendarTime& local) {
    return LocalCalendarToSeconds(local);
}

Text Win32Clock::LocalDateTimeText(FileTime utc) {
    auto local = LocalSystemTime(utc);
    if (!local)
        return {};
    local->wMilliseconds = 0;
    double date = 0;
    SYSTEMTIME back;
    if (!::SystemTimeToVariantTime(&*local, &date) || !::VariantTimeToSystemTime(date, &back) ||
        back.wYear != local->wYear || back.wMonth != local->wMonth || back.wDay != local->wDay ||
        back.wHour != local->wHour || back.wMinute != local->wMinute ||
        back.wSecond != local->wSecond) {
        return u"Invalid DateTime";
    }
    BstrOwner text;
    if (FAILED(::VarBstrFromDate(date, 0x0800, LOCALE_NOUSEROVERRIDE, &text.text)) ||
        text.text == nullptr) {
        return u"Invalid DateTime";
    }
    return FromWide(text.text, ::SysStringLen(text.text));
}

void Win32Clock::Sleep(uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

uint16_t Win32SystemInfo::UserDefaultLanguage() {
    return ::GetUserDefaultLangID();
}

WindowsVersion Win32SystemInfo::Version() {
    const DWORD version = ::GetVersion();
    return {static_cast<int>(LOBYTE(LOWORD(version))), static_cast<int>(HIBYTE(LOWORD(version)))};
}

std::optional<uint32_t> Win32SystemInfo::VolumeSerial(TextView root) {
    const Text r(root);
    DWORD serial = 0;
    if (!::GetVolumeInformationW(Wide(r), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) {
        return std::nullopt;
    }
    return serial;
}

}  // namespace veltrano
