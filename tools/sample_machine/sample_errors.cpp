// The errors of services, devices and system components on the sample machine, each recurring
// at the times listed: a launcher's update service that fails to start, a crashing print spooler
// and search service, a disk going bad before a power loss, DCOM servers that time out,
// side-by-side and shadow copy failures, and a backup program whose messages were uninstalled.
#include <cstdio>

#include "sample_machine/sample_parts.h"

namespace veltrano::sample {
namespace {

constexpr uint16_t kServiceError = 0xC000;
constexpr uint16_t kIoError = 0xC004;
constexpr uint16_t kIoWarning = 0x8004;
constexpr uint16_t kSideBySideError = 0xC101;

struct Recurring {
    const char16_t* log;
    const char16_t* provider;
    const char16_t* sourceName;  // null: the provider's name
    uint16_t eventId;
    std::optional<uint16_t> qualifiers;
    uint8_t level;
    uint16_t task;
    std::vector<Text> strings;
    std::vector<Ago> times;
};

constexpr char16_t kDisk[] = u"\\Device\\Harddisk1\\DR1";
constexpr char16_t kUpdateService[] = u"Starforge Update Service";

// One error a line or two reads better than one field a line.
// clang-format off
const Recurring kErrors[] = {
    {u"System", kScm, kScm, 7009, kServiceError, kError, 0, {u"30000", kUpdateService},
     {{1, 8, 2, 30}, {8, 8, 15, 30}, {15, 7, 55, 30}, {90, 8, 10, 30}}},
    {u"System", kScm, kScm, 7000, kServiceError, kError, 0, {kUpdateService, u"%%1053"},
     {{1, 8, 2, 29}, {8, 8, 15, 29}, {15, 7, 55, 29}, {90, 8, 10, 29}}},
    {u"System", kScm, kScm, 7001, kServiceError, kError, 0,
     {u"Starforge Update Helper", kUpdateService, u"%%1053"}, {{1, 8, 2, 28}, {15, 7, 55, 28}}},
    {u"System", kScm, kScm, 7011, kServiceError, kError, 0, {u"30000", u"wuauserv"},
     {{52, 14, 0}, {130, 10, 30}}},
    {u"System", kScm, kScm, 7031, kServiceError, kError, 0,
     {u"Print Spooler", u"1", u"60000", u"1", u"Restart the service"},
     {{0, 5, 58}, {20, 9, 12}, {100, 3, 40}}},
    {u"System", kScm, kScm, 7023, kServiceError, kError, 0, {u"Windows Search", u"%%1067"},
     {{0, 6, 30}, {9, 2, 59, 40}, {120, 4, 59, 40}}},
    {u"System", kScm, kScm, 7034, kServiceError, kError, 0, {u"Lumen Media Service", u"1"},
     {{2, 11, 0}, {75, 16, 20}}},
    {u"System", u"disk", nullptr, 153, kIoWarning, kWarning, 0,
     {kDisk, u"0x3a8c4f0", u"1", u"\\Device\\0000003a"}, {{3, 4, 20}, {26, 2, 1}}},
    {u"System", u"disk", nullptr, 11, kIoError, kError, 0, {kDisk}, {{3, 4, 19, 10}, {110, 6, 0}}},
    {u"System", u"disk", nullptr, 7, kIoError, kError, 0, {kDisk},
     {{3, 4, 19, 0}, {3, 4, 18, 56}, {3, 4, 18, 51}, {26, 2, 0}}},
    {u"System", u"disk", nullptr, 51, kIoWarning, kWarning, 0, {kDisk},
     {{3, 4, 18, 40}, {26, 1, 59}}},
    // Bursts: a DCOM server that times out for every waiting client at once writes one record
    // per client within the same second.
    {u"System", u"Microsoft-Windows-DistributedCOM", u"DCOM", 10010, 0, kError, 0,
     {u"{9BA05972-F6A8-11CF-A442-00A0C90A8F39}"},
     {{4, 1, 0}, {4, 1, 0}, {4, 1, 0}, {4, 1, 0}, {4, 1, 0}, {57, 9, 0}, {57, 9, 0}, {57, 9, 0}}},
    {u"Application", u"SideBySide", nullptr, 33, kSideBySideError, kError, 0,
     {u"C:\\Program Files (x86)\\Starforge\\Launcher\\StarforgeCrashReporter.exe",
      u"Dependent Assembly Microsoft.VC90.CRT,processorArchitecture=\"x86\","
      u"publicKeyToken=\"1fc8b3b9a1e18e3b\",type=\"win32\",version=\"9.0.21022.8\" could not "
      u"be found. Please use sxstrace.exe for detailed diagnosis."},
     {{10, 18, 0}, {11, 17, 30}, {58, 20, 0}}},
    {u"Application", u"VSS", nullptr, 8193, 0, kError, 0,
     {u"RegOpenKeyExW(-2147483646,SYSTEM\\CurrentControlSet\\Services\\VSS\\Diag,...)",
      u"0x80070005, Access is denied", u"Initializing Writer",
      u"Writer Class Id: {e8132975-6f93-4464-a53e-1050253ae220}"},
     {{80, 2, 0}, {80, 2, 0}, {140, 2, 0}}},
    {u"Application", u"Brightbyte Backup", nullptr, 3005, 0, kError, 0,
     {u"Backup job 'Family Photos' failed: the destination \\\\NAS\\backup is not reachable."},
     {{5, 10, 0}, {13, 22, 0}}},
};
// clang-format on

// Power losses: when the machine comes back, the kernel reports the unclean restart and the event
// log service names the time it last ran.
const Ago kPowerLosses[] = {{3, 4, 15}, {64, 19, 0}, {190, 8, 0}};

Text ShutdownTime(FileTime t) {
    const auto c = FileTimeToCalendar(t);
    if (!c)
        return {};
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d:%02d %s", (c->hour + 11) % 12 + 1, c->minute,
                  c->second, c->hour < 12 ? "AM" : "PM");
    return Ascii(text);
}

Text ShutdownDate(FileTime t) {
    const auto c = FileTimeToCalendar(t);
    if (!c)
        return {};
    char text[16];
    std::snprintf(text, sizeof text, "%d/%d/%d", c->month, c->day, c->year);
    return Ascii(text);
}

}  // namespace

void AddServiceAndDeviceErrors(Composer& composer) {
    for (const Recurring& r : kErrors) {
        for (const Ago& ago : r.times) {
            SampleEvent e{r.log,   r.provider, std::nullopt,     r.eventId, r.qualifiers,
                          r.level, r.task,     composer.At(ago), r.strings};
            if (r.sourceName != nullptr)
                e.eventSourceName = Text(r.sourceName);
            composer.Add(std::move(e));
        }
    }
    for (const Ago& ago : kPowerLosses) {
        const FileTime restart = composer.At(ago);
        composer.Add({u"System",
                      u"Microsoft-Windows-Kernel-Power",
                      std::nullopt,
                      41,
                      std::nullopt,
                      kCritical,
                      63,
                      restart,
                      {u"0", u"0x0", u"0x0", u"0x0", u"0x0", u"0", u"0", u"0", u"0", u"false", u"0",
                       u"0", u"false", u"0"}});
        const FileTime shutdown = restart - 7 * 60 * kTicksPerSecond;
        composer.Add({u"System",
                      u"EventLog",
                      std::nullopt,
                      6008,
                      kEventLogQualifiers,
                      kError,
                      0,
                      restart + 20 * kTicksPerSecond,
                      {ShutdownTime(shutdown), ShutdownDate(shutdown), u"", u"", u"", u"", u"", u"",
                       u"", u"", u"0", u"1093"}});
    }
}

}  // namespace veltrano::sample
