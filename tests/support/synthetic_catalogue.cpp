// Synthetic catalogue entries.
#include "support/synthetic_catalogue.h"

#include <random>

namespace veltrano::testing {
namespace {

constexpr const char16_t* kApplications[] = {
    u"chrome.exe", u"explorer.exe", u"svchost.exe", u"OUTLOOK.EXE", u"Teams.exe",
    u"msedge.exe", u"WINWORD.EXE",  u"javaw.exe",   u"Code.exe",    u"backup-agent.exe"};
constexpr const char16_t* kSources[] = {u"Service Control Manager",
                                        u"Microsoft-Windows-Kernel-Power",
                                        u"DCOM",
                                        u"Microsoft-Windows-WindowsUpdateClient",
                                        u"MsiInstaller",
                                        u"Disk",
                                        u"Ntfs",
                                        u"volsnap"};
constexpr const char16_t* kFolders[] = {
    u"C:\\Program Files\\Vendor\\", u"C:\\Program Files (x86)\\Tools\\",
    u"C:\\Users\\analyst\\AppData\\Local\\Programs\\", u"C:\\Windows\\System32\\",
    u"C:\\Users\\analyst\\AppData\\Roaming\\Suite\\"};
constexpr const char16_t* kWords[] = {
    u"the",     u"service",   u"terminated", u"unexpectedly", u"faulting", u"application",
    u"module",  u"exception", u"code",       u"offset",       u"process",  u"restart",
    u"driver",  u"device",    u"timeout",    u"access",       u"denied",   u"update",
    u"failed",  u"with",      u"error",      u"while",        u"loading",  u"component",
    u"package", u"registry",  u"value",      u"could",        u"not",      u"be",
    u"started", u"because",   u"of",         u"following",    u"reason",   u"request"};

class Generator {
  public:
    explicit Generator(uint32_t seed) : random_(seed) {}
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>(random_() % n); }
    template <size_t N>
    const char16_t* Pick(const char16_t* const (&list)[N]) {
        return list[Below(N)];
    }
    Text Words(int count) {
        Text out;
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                out += u' ';
            out += Pick(kWords);
        }
        return out;
    }
    Text Hex(int digits) {
        Text out;
        for (int i = 0; i < digits; ++i)
            out.push_back(u"0123456789abcdef"[Below(16)]);
        return out;
    }

  private:
    std::mt19937 random_;
};

Text ReportText(Generator& g, const ErrorEntry& e) {
    return u"Version=1\r\nEventType=APPCRASH\r\nEventTime=" + DecimalText(e.LastErrorDateTime) +
           u"\r\nReportType=2\r\nSig[0].Name=Application Name\r\nSig[0].Value=" + e.AppName +
           u"\r\nSig[1].Name=Application Version\r\nSig[1].Value=" + DecimalText(g.Below(20)) +
           u"." + DecimalText(g.Below(100)) +
           u"\r\nSig[6].Name=Exception Code\r\nSig[6].Value=c0000005\r\nUI[2]=" + e.AppPath +
           u"\r\nUI[3]=" + e.AppName + u" has stopped working\r\nLoadedModule[0]=" + e.AppPath +
           u"\r\nLoadedModule[1]=C:\\Windows\\SYSTEM32\\ntdll.dll\r\nReportIdentifier=" +
           e.ReportId + u"\r\nAppPath=" + e.AppPath + u"\r\n" + g.Words(40);
}

}  // namespace

void AddSyntheticEntries(ErrorCatalogue& catalogue, size_t count, uint32_t seed) {
    Generator g(seed);
    const FileTime base = 133'800'000'000'000'000;  // 2025
    for (size_t i = 0, added = 0; added < count; ++i) {
        ErrorEntry e;
        e.Category = static_cast<int32_t>(1 + g.Below(4));
        const bool event = e.Category != CategoryReportFile;
        const Text app =
            e.Category == CategoryEventLog ? Text(g.Pick(kSources)) : Text(g.Pick(kApplications));
        e.AppName = CopyCapped(app + (i % 3 == 0 ? Text() : u" " + DecimalText(i)), kNameCapacity);
        e.ErrorName = event ? DecimalText(1000 + g.Below(9000)) : Text(u"APPCRASH");
        e.AppPath = CopyCapped(Text(g.Pick(kFolders)) + app, kPathCapacity);
        e.ReportId = g.Hex(8) + u"-" + g.Hex(4) + u"-" + g.Hex(4) + u"-" + g.Hex(12);
        if (e.Category == CategoryApplicationError)
            e.ExceptionCode = u"c0000005";
        const int occurrences = 1 + static_cast<int>(g.Below(5));
        FileTime t = base + static_cast<FileTime>(g.Below(1'000'000)) * kTicksPerSecond;
        for (int k = 0; k < occurrences; ++k) {
            e.OccurrenceTimes.insert(t);
            ++e.QuarterHourCounts[QuarterHourOf(t)];
            t -= static_cast<FileTime>(1 + g.Below(100'000)) * kTicksPerSecond;
        }
        e.LastErrorDateTime = *e.OccurrenceTimes.begin();
        e.FirstErrorDateTime = *e.OccurrenceTimes.rbegin();
        e.ErrorCount = occurrences;
        e.ErrorSummary = CopyCapped(g.Words(10 + static_cast<int>(g.Below(30))), kSummaryCapacity);
        if (!event) {
            e.ErrorText = ReportText(g, e);
        } else if (g.Below(2) == 0) {
            e.MessageTemplate = u"The %1 " + g.Words(12) + u" %2 " + g.Words(8) + u" %3.";
            e.ErrorTextParams = e.AppName + u"|" + e.AppPath + u"|" + DecimalText(g.Below(65536));
            e.ErrorText = u"The " + e.AppName + u" " + g.Words(30);
        } else {
            e.ErrorText = g.Words(20 + static_cast<int>(g.Below(120)));
        }
        if (catalogue.Find(EntryKey(e)) != nullptr)
            continue;
        catalogue.Add(std::move(e));
        ++added;
    }
}

}  // namespace veltrano::testing
