// Writes the report page of a machine with one crash, whose dump is joined to it, and one blue
// screen, with findings made up here, for crash_details_test.py to open in headless Chromium.
//   crash_page OUT_FILE [de]
#include <cstdio>
#include <fstream>
#include <string>

#include "crash/crash_findings.h"
#include "report/html/page_writer.h"
#include "shell/local_texts.h"
#include "support/fake_clock.h"

using namespace veltrano;

namespace {

constexpr FileTime kDay = kTicksPerDay;

void AddEntry(ErrorCatalogue& catalogue, int32_t category, TextView app, TextView name,
              FileTime time, FileTime now) {
    ErrorOccurrence occurrence;
    occurrence.time = time;
    occurrence.SetAppName(app);
    occurrence.SetErrorName(name);
    ErrorEntry entry = catalogue.CreateEntry(occurrence, now);
    entry.Category = category;
    entry.ErrorSummary = Text(u"Summary of ") + Text(app);
    if (category == CategoryApplicationError) {
        entry.AppPath = u"C:\\Program Files\\Lumen\\lumen.exe";
        entry.ExceptionCode = u"0xc0000005";
        entry.FaultModule = u"lumen.exe";  // the record blames the program; the dump lumen.dll
        entry.FaultModuleVersion = u"1.2.0.0";
        entry.FaultOffset = u"0x00000000000001f0";
    }
    catalogue.Add(std::move(entry));
}

crash::JoinedDump LumenDump() {
    crash::JoinedDump dump;
    dump.path =
        u"C:\\ProgramData\\Microsoft\\Windows\\WER\\ReportArchive\\AppCrash_lumen\\"
        u"memory.hdmp";
    dump.agreement = crash::FaultAgreement::Differs;
    crash::CrashAnalysis& a = dump.analysis;
    a.readable = true;
    a.hasException = true;
    a.exceptionCode = 0xC0000005;
    a.exceptionName = u"STATUS_ACCESS_VIOLATION";
    a.architecture = u"x64";
    a.modules = {
        {u"lumen.exe", u"C:\\Program Files\\Lumen\\lumen.exe", 0x7ff6a1b20000, 0x40000, u"1.2.0.0",
         1764000000, u"lumen.pdb", u"3F2A9C0E5B7D4E1F8A6B2C9D0E1F2A3B1"},
        {u"lumen.dll", u"C:\\Program Files\\Lumen\\lumen.dll", 0x7ffb1c000000, 0x125000, u"1.2.0.0",
         1764000100, u"lumen_core.pdb", u"0A1B2C3D4E5F60718293A4B5C6D7E8F92"},
        {u"ntdll.dll", u"C:\\Windows\\System32\\ntdll.dll", 0x7ffb30000000, 0x1f8000,
         u"10.0.19041.3636", 1700000000, u"ntdll.pdb", u"B7A3D1E0C5F24A6B9E8D7C6B5A493827"},
    };
    a.faultingModule = crash::ModuleOffset{u"lumen.dll", u"1.2.0.0", 0x1a2b};
    a.frames = {
        {0x7ffb1c001a2b, 1, 0x1a2b, crash::FrameSource::Context},
        {0x7ff6a1b20f10, 0, 0xf10, crash::FrameSource::Unwind},
        {0x00007ff6a1b2c3d4, std::nullopt, 0x00007ff6a1b2c3d4, crash::FrameSource::Scan},
        {0x7ffb3000a0c4, 2, 0xa0c4, crash::FrameSource::Scan},
    };
    a.signature = crash::MakeSignature(u"lumen.dll", u"1.2.0.0", 0x1a2b, 0);
    return dump;
}

crash::StopError BlueScreen() {
    crash::StopError stop;
    stop.bugCheckCode = 0x0A;
    stop.bugCheckName = u"IRQL_NOT_LESS_OR_EQUAL";
    stop.parameters = {0xfffff80012345678, 2, 0, 0xfffff8001c0a1a2b};
    stop.dumpPath = u"C:\\Windows\\Minidump\\120826-7203-01.dmp";
    dump::KernelDumpHeader header;
    header.is64Bit = true;
    header.bugCheckCode = 0x0A;
    header.driver = dump::ParameterDriver{4, u"nvlddmkm.sys", 0x1a2b};
    stop.dump = header;
    stop.powerRecords = 1;
    return stop;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s OUT_FILE [de]\n", argv[0]);
        return 2;
    }
    InitLocalTexts(argc == 3 && std::string(argv[2]) == "de" ? 0x0407 : 0x0409, u"");
    const FileTime now = testing::At(2026, 12, 8, 12);
    testing::FakeClock clock(now);
    ErrorCatalogue catalogue;
    catalogue.WeekStart = now - 7 * kDay;
    catalogue.MonthStart = now - 30 * kDay;
    catalogue.HalfYearStart = now - 182 * kDay;
    AddEntry(catalogue, CategoryApplicationError, u"Application Error: lumen.exe", u"1000",
             now - kDay, now);
    AddEntry(catalogue, CategoryEventLog, u"BugCheck", u"1001", now - 2 * kDay, now);

    crash::CrashFindings findings;
    findings.dumps.emplace(u"Application Error: lumen.exe_1000", LumenDump());
    findings.stopErrors.emplace(u"BugCheck_1001", BlueScreen());

    ReportPage page;
    page.fileVersion = u"2.0.0.0";
    ReportMachine machine;
    machine.name = u"CRASH-PC";
    machine.catalogue = &catalogue;
    machine.clock = &clock;
    machine.crashes = &findings;
    page.machines.push_back(machine);
    std::ofstream out(argv[1], std::ios::binary);
    out << RenderReportPage(page);
    return out.good() ? 0 : 1;
}
