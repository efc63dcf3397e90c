// Insertion-string positions of the crash and hang events. The published messages name each
// insert on its line ("Exception code: 0x%7", "Report Id: %13"); the layouts have only grown at
// the end since Windows 7 (13 strings for a crash, 7 for a hang; 15 and 9 or 10 from Windows 8).
#include "engine/crash_strings.h"

namespace veltrano {
namespace {

constexpr uint32_t kCrashEvent = 1000;
constexpr uint32_t kHangEvent = 1002;

// 1-based insert numbers of the event messages.
constexpr size_t kCrashStrings = 13;
constexpr size_t kCrashModule = 4;
constexpr size_t kCrashModuleVersion = 5;
constexpr size_t kCrashCode = 7;
constexpr size_t kCrashOffset = 8;
constexpr size_t kCrashProcessId = 9;
constexpr size_t kCrashPath = 11;
constexpr size_t kCrashReportId = 13;
constexpr size_t kHangStrings = 7;
constexpr size_t kHangPath = 6;
constexpr size_t kHangReportId = 7;

bool IsHexDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool IsHex(TextView text, size_t minDigits, size_t maxDigits) {
    if (text.size() < minDigits || text.size() > maxDigits)
        return false;
    for (char16_t c : text) {
        if (!IsHexDigit(c))
            return false;
    }
    return true;
}

// "56b7eab8-fa28-11ea-80bf-000c29e184e6"
bool IsGuid(TextView text) {
    if (text.size() != 36)
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != u'-' : !IsHexDigit(text[i]))
            return false;
    }
    return true;
}

// "C:\Windows\System32\spoolsv.exe", "\\server\share\x.exe", "\\?\C:\…"
bool IsPath(TextView text) {
    return (text.size() >= 3 && text[1] == u':' && text[2] == u'\\') || StartsWith(text, u"\\\\");
}

bool IsVersion(TextView text) {
    if (text.empty())
        return false;
    for (char16_t c : text) {
        if (!(c >= u'0' && c <= u'9') && c != u'.')
            return false;
    }
    return true;
}

class Inserts {
  public:
    explicit Inserts(const std::vector<Text>& strings) : strings_(strings) {}
    TextView operator[](size_t number) const {
        return number >= 1 && number <= strings_.size() ? TextView(strings_[number - 1])
                                                        : TextView();
    }

  private:
    const std::vector<Text>& strings_;
};

Text IfShaped(TextView value, bool shaped, TextView prefix = {}) {
    return shaped ? Text(prefix) + Text(value) : Text();
}

}  // namespace

CrashStringFacts CrashFactsFromStrings(CrashSource source, uint32_t eventId,
                                       const std::vector<Text>& strings) {
    CrashStringFacts facts;
    const Inserts at(strings);
    const uint32_t id = eventId & 0xFFFF;
    if (source == CrashSource::Crash && id == kCrashEvent && strings.size() >= kCrashStrings) {
        facts.appPath = IfShaped(at[kCrashPath], IsPath(at[kCrashPath]));
        facts.exceptionCode = IfShaped(at[kCrashCode], IsHex(at[kCrashCode], 8, 8), u"0x");
        facts.reportId = IfShaped(at[kCrashReportId], IsGuid(at[kCrashReportId]));
        facts.faultModule = Text(at[kCrashModule]);
        facts.faultModuleVersion =
            IfShaped(at[kCrashModuleVersion], IsVersion(at[kCrashModuleVersion]));
        facts.faultOffset = IfShaped(at[kCrashOffset], IsHex(at[kCrashOffset], 1, 16), u"0x");
        facts.processId = IfShaped(at[kCrashProcessId], IsHex(at[kCrashProcessId], 1, 8), u"0x");
    } else if (source == CrashSource::Hang && id == kHangEvent && strings.size() >= kHangStrings) {
        facts.appPath = IfShaped(at[kHangPath], IsPath(at[kHangPath]));
        facts.reportId = IfShaped(at[kHangReportId], IsGuid(at[kHangReportId]));
    }
    return facts;
}

}  // namespace veltrano
