// Programs that crash and hang on the sample machine: their "Application Error" and "Application
// Hang" events, the "Windows Error Reporting" records that follow them, and their report files in
// the machine's and the users' report archives. Most crashes are both logged and reported, so the
// program joins them by the report identifier; some reports were never logged (or the log lost
// them) and stay on their own.
#include <string>

#include "sample_machine/report_text.h"
#include "sample_machine/sample_parts.h"

namespace veltrano::sample {
namespace {

struct Program {
    const char* key;
    TextView name;  // what Windows Error Reporting calls it
    TextView file;
    TextView path;
    TextView version;
    TextView stamp;
    TextView module;
    TextView moduleVersion;
    TextView moduleStamp;
    TextView modulePath;
    TextView exceptionCode;
    TextView owner;  // whose report archive: a user, or the machine's when empty
    bool wow64 = false;
};

// Each program: what it is, the module it fails in, then the exception and whose
// archive keeps its reports.
// clang-format off
const Program kLumen{"lumen", u"Lumen Photo Editor", u"lumen.exe",
    u"C:\\Program Files\\Lumen\\Photo Editor\\lumen.exe", u"4.2.1.318", u"6553f0a1",
    u"lumenfx.dll", u"4.2.1.318", u"6553ef7c",
    u"C:\\Program Files\\Lumen\\Photo Editor\\lumenfx.dll",
    u"c0000005", u"anna"};
const Program kQuillmail{"quillmail", u"Quillmail", u"quillmail.exe",
    u"C:\\Users\\anna\\AppData\\Local\\Programs\\Quillmail\\quillmail.exe",
    u"2.14.0.0", u"65a1c2d4",
    u"quillcore.dll", u"2.14.0.0", u"65a1c2b9",
    u"C:\\Users\\anna\\AppData\\Local\\Programs\\Quillmail\\quillcore.dll",
    u"c0000409", u"anna"};
const Program kStarforge{"starforge", u"Starforge Launcher", u"StarforgeLauncher.exe",
    u"C:\\Program Files (x86)\\Starforge\\Launcher\\StarforgeLauncher.exe", u"1.9.7.2", u"64f8a3e0",
    u"KERNELBASE.dll", u"10.0.19041.3636", u"3e2b4d8a", u"C:\\Windows\\SysWOW64\\KERNELBASE.dll",
    u"e0434352", u"jonas", true};
const Program kSearchIndexer{"searchindexer", u"Microsoft Windows Search Indexer",
    u"SearchIndexer.exe", u"C:\\Windows\\System32\\SearchIndexer.exe", u"7.0.19041.3636",
    u"8a1d0c6e",
    u"ntdll.dll", u"10.0.19041.3636", u"9c4f3a21", u"C:\\Windows\\SYSTEM32\\ntdll.dll",
    u"c0000374", u""};
const Program kTessera{"tessera", u"Tessera Writer", u"twriter.exe",
    u"C:\\Program Files\\Tessera Office\\twriter.exe", u"11.0.2.5", u"5f7c21aa",
    u"tsrender.dll", u"11.0.2.5", u"5f7c2011", u"C:\\Program Files\\Tessera Office\\tsrender.dll",
    u"c0000005", u"anna"};
const Program kScribe{"scribe", u"Scribe Notes", u"scribe.exe",
    u"C:\\Program Files\\Scribe Notes\\scribe.exe", u"3.1.0.0", u"62e9b004",
    u"", u"", u"", u"",
    u"", u"anna"};
const Program kPixelgrab{"pixelgrab", u"Pixelgrab", u"pixelgrab.exe",
    u"C:\\Users\\jonas\\AppData\\Local\\Pixelgrab\\pixelgrab.exe", u"0.9.4.0", u"66b0d91c",
    u"pixelgrab.exe", u"0.9.4.0", u"66b0d91c",
    u"C:\\Users\\jonas\\AppData\\Local\\Pixelgrab\\pixelgrab.exe",
    u"c0000005", u"jonas"};
// clang-format on

enum class Kind { Crash, Hang };

struct Incident {
    const Program& program;
    Kind kind;
    Ago ago;
    bool logged = true;    // the Application log holds its event
    bool reported = true;  // its report file is in the archive
};

// Newest first per program; the oldest reports have been cleaned out of the archives.
const Incident kIncidents[] = {
    {kLumen, Kind::Crash, {0, 3, 12}},
    {kLumen, Kind::Crash, {2, 5, 40}},
    {kLumen, Kind::Crash, {4, 20, 5}},
    {kLumen, Kind::Crash, {12, 2, 30}},
    {kLumen, Kind::Crash, {19, 7, 15}},
    {kLumen, Kind::Hang, {36, 2, 0}},
    {kLumen, Kind::Crash, {40, 1, 0}},
    {kLumen, Kind::Crash, {95, 4, 0}, true, false},
    {kLumen, Kind::Crash, {210, 6, 0}, true, false},
    {kQuillmail, Kind::Crash, {1, 9, 20}},
    {kQuillmail, Kind::Hang, {2, 18, 10}},
    {kQuillmail, Kind::Crash, {3, 22, 45}},
    {kQuillmail, Kind::Crash, {23, 5, 0}},
    {kQuillmail, Kind::Hang, {44, 6, 0}},
    {kQuillmail, Kind::Crash, {61, 3, 0}},
    {kQuillmail, Kind::Crash, {150, 8, 0}, true, false},
    {kStarforge, Kind::Crash, {5, 1, 30}},
    {kStarforge, Kind::Crash, {16, 4, 0}},
    {kStarforge, Kind::Crash, {48, 2, 0}},
    {kStarforge, Kind::Crash, {170, 9, 0}},
    {kStarforge, Kind::Crash, {260, 0, 0}, true, false},
    {kSearchIndexer, Kind::Crash, {9, 3, 0}},
    {kSearchIndexer, Kind::Crash, {120, 5, 0}},
    {kSearchIndexer, Kind::Crash, {300, 2, 0}, true, false},
    {kTessera, Kind::Crash, {220, 4, 0}},
    {kTessera, Kind::Crash, {330, 7, 0}, true, false},
    {kScribe, Kind::Hang, {4, 2, 20}, true, false},
    {kScribe, Kind::Hang, {25, 3, 0}, true, false},
    {kPixelgrab, Kind::Crash, {3, 6, 0}, false, true},
};

Text ArchiveOf(TextView owner) {
    if (owner.empty())
        return u"ProgramData\\Microsoft\\Windows\\WER\\ReportArchive";
    return u"Users\\" + Text(owner) + u"\\AppData\\Local\\Microsoft\\Windows\\WER\\ReportArchive";
}

Text SystemFolder(const Program& p) {
    return p.wow64 ? u"C:\\Windows\\SysWOW64\\" : u"C:\\Windows\\System32\\";
}

// Everything an incident's records and report share.
struct Facts {
    std::string key;
    FileTime time = 0;
    Text reportId;
    Text processId;
    Text startTime;  // FILETIME of the process start, hexadecimal
    Text offset;
};

Facts FactsOf(const Composer& composer, const Incident& incident, size_t index) {
    Facts f;
    f.key = std::string(incident.program.key) + "/" + std::to_string(index);
    f.time = composer.At(incident.ago);
    f.reportId = StableGuid(f.key + "/report");
    f.processId = HexDigits(0x400 + StableNumber(f.key + "/pid") % 0x3000, 4);
    f.startTime =
        HexDigits(f.time - (5 + StableNumber(f.key + "/up") % 90) * 60 * kTicksPerSecond, 16);
    f.offset = HexDigits(StableNumber(incident.program.key) % 0x200000, 16);
    return f;
}

SampleEvent CrashEvent(const Program& p, const Facts& f) {
    return {u"Application",
            u"Application Error",
            std::nullopt,
            1000,
            0,
            2,
            100,
            f.time,
            {Text(p.file), Text(p.version), Text(p.stamp), Text(p.module), Text(p.moduleVersion),
             Text(p.moduleStamp), Text(p.exceptionCode), f.offset, f.processId, f.startTime,
             Text(p.path), Text(p.modulePath), f.reportId}};
}

SampleEvent HangEvent(const Program& p, const Facts& f) {
    return {u"Application",
            u"Application Hang",
            std::nullopt,
            1002,
            0,
            2,
            101,
            f.time,
            {Text(p.file), Text(p.version), f.processId, f.startTime,
             UnsignedText(5 + StableNumber(f.key + "/wait") % 60), Text(p.path), f.reportId}};
}

Text ReportFolder(const Incident& incident, const Facts& f) {
    const Text prefix = incident.kind == Kind::Crash ? u"AppCrash_" : u"AppHang_";
    return prefix + Text(incident.program.file) + u"_" + HexDigits(StableNumber(f.key + "/a"), 16) +
           HexDigits(StableNumber(f.key + "/b"), 16) + HexDigits(StableNumber(f.key + "/c"), 8) +
           u"_" + HexDigits(StableNumber(f.key + "/d"), 8) + u"_" + f.reportId.substr(0, 8);
}

ReportFields ReportOf(const Incident& incident, const Facts& f) {
    const Program& p = incident.program;
    ReportFields r;
    r.time = f.time;
    r.reportId = StableGuid(f.key + "/wer");
    r.integratorReportId = f.reportId;
    r.wow64 = p.wow64;
    r.appName = Text(p.name);
    r.appPath = Text(p.path);
    r.loadedModules = {Text(p.path), u"C:\\Windows\\SYSTEM32\\ntdll.dll",
                       SystemFolder(p) + u"KERNEL32.DLL", SystemFolder(p) + u"KERNELBASE.dll",
                       SystemFolder(p) + u"USER32.dll"};
    if (!p.module.empty() && p.modulePath.find(u"\\Windows\\") == TextView::npos)
        r.loadedModules.push_back(Text(p.modulePath));
    const Text name(p.name);
    if (incident.kind == Kind::Crash) {
        r.eventType = u"APPCRASH";
        r.friendlyEventName = u"Stopped working";
        r.signature = {{u"Application Name", Text(p.file)},
                       {u"Application Version", Text(p.version)},
                       {u"Application Timestamp", Text(p.stamp)},
                       {u"Fault Module Name", Text(p.module)},
                       {u"Fault Module Version", Text(p.moduleVersion)},
                       {u"Fault Module Timestamp", Text(p.moduleStamp)},
                       {u"Exception Code", Text(p.exceptionCode)},
                       {u"Exception Offset", f.offset}};
        r.ui = {Text(p.path),
                name + u" has stopped working",
                u"Windows can check online for a solution to the problem.",
                u"Check online for a solution and close the program",
                u"Check online for a solution later and close the program",
                u"Close the program"};
        // Reports that were never logged were written by an older Windows Error Reporting
        // client, without a description.
        if (incident.logged)
            r.description = u"A problem caused this program to stop working correctly.";
    } else {
        r.eventType = u"AppHangB1";
        r.friendlyEventName = u"Stopped responding and was closed";
        r.signature = {{u"Application Name", Text(p.file)},
                       {u"Application Version", Text(p.version)},
                       {u"Application Timestamp", Text(p.stamp)},
                       {u"Hang Signature", HexDigits(StableNumber(f.key + "/hang"), 4)},
                       {u"Hang Type", u"134217728"}};
        r.ui = {Text(p.path), name + u" is not responding",
                u"If you close the program, you might lose information.", u"Close the program",
                u"Wait for the program to respond"};
        r.description = u"A problem caused this program to stop interacting with Windows.";
    }
    return r;
}

// Windows Error Reporting records the report it made, as information.
SampleEvent ReportedEvent(const Incident& incident, const Facts& f, const Text& folder) {
    const Program& p = incident.program;
    const bool crash = incident.kind == Kind::Crash;
    const Text archive = u"C:\\" + ArchiveOf(p.owner) + u"\\" + folder;
    return {u"Application",
            u"Windows Error Reporting",
            std::nullopt,
            1001,
            0,
            4,
            0,
            f.time + 4 * kTicksPerSecond,
            {UnsignedText(StableNumber(f.key + "/bucket") % 10'000'000'000'000'000'000ull),
             u"1",
             crash ? u"APPCRASH" : u"AppHangB1",
             u"Not available",
             u"0",
             Text(p.file),
             Text(p.version),
             Text(p.stamp),
             crash ? Text(p.module) : u"unknown",
             crash ? Text(p.moduleVersion) : u"0.0.0.0",
             crash ? Text(p.moduleStamp) : u"00000000",
             crash ? Text(p.exceptionCode) : u"0",
             crash ? f.offset : u"0",
             u"",
             u"",
             u"\\\\?\\C:\\ProgramData\\Microsoft\\Windows\\WER\\Temp\\WER" +
                 HexDigits(StableNumber(f.key + "/tmp"), 4) + u".tmp.mdmp",
             archive,
             u"",
             u"0",
             f.reportId,
             u"0"}};
}

// A hardware problem that the kernel reported to Windows Error Reporting; no program crashed,
// so there is no event to join it to.
void AddKernelReport(Composer& composer) {
    const std::string key = "kernel/141";
    ReportFields r;
    r.eventType = u"LiveKernelEvent";
    r.time = composer.At({70, 11, 0});
    r.reportId = StableGuid(key + "/wer");
    r.integratorReportId = StableGuid(key + "/report");
    r.signature = {{u"Code", u"141"},
                   {u"Parameter 1", u"ffffb40c3e1f6010"},
                   {u"Parameter 2", u"fffff8064a8c1b40"},
                   {u"Parameter 3", u"0"},
                   {u"Parameter 4", u"2a9c"},
                   {u"OS version", u"10_0_19045"},
                   {u"Service Pack", u"0_0"},
                   {u"Product", u"768_1"}};
    r.friendlyEventName = u"Hardware error";
    r.appName = u"Windows";
    r.appPath = u"C:\\Windows\\System32\\WerFault.exe";
    r.description = u"A problem with your hardware caused Windows to stop working correctly.";
    composer.machine().reports.push_back({ArchiveOf(u""),
                                          u"Kernel_141_" + HexDigits(StableNumber(key), 16) +
                                              u"_00000000_cab_" + r.reportId.substr(0, 8),
                                          r.time, ReportFileText(r)});
}

}  // namespace

void AddIncidents(Composer& composer) {
    size_t index = 0;
    for (const Incident& incident : kIncidents) {
        const Facts f = FactsOf(composer, incident, index++);
        const Program& p = incident.program;
        if (incident.logged) {
            composer.Add(incident.kind == Kind::Crash ? CrashEvent(p, f) : HangEvent(p, f));
        }
        if (!incident.reported)
            continue;
        const Text folder = ReportFolder(incident, f);
        composer.machine().reports.push_back(
            {ArchiveOf(p.owner), folder, f.time, ReportFileText(ReportOf(incident, f))});
        if (incident.logged)
            composer.Add(ReportedEvent(incident, f, folder));
    }
    AddKernelReport(composer);
}

}  // namespace veltrano::sample
