// Dumps written by the system's own MiniDumpWriteDump (Wine's dbghelp under Wine) for a program
// that crashed in its DLL and told, from inside, where: the analysis of each dump must give the
// exception, the faulting module and offset and the first frames the program reported. The
// dumps are written here, at test time, into a temporary folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <ostream>
#include <string>
#include <string_view>

#include "crash/crash_analysis.h"
#include "crash/hex_numbers.h"
#include "drive/drive_scan.h"
#include "platform/host.h"
#include "platform/offline/machine/offline_machine.h"
#include "support/fake_clock.h"
#include "support/report_files.h"
#include "support/temp_tree.h"
#include "writers/evtx/evtx_log_writer.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_message_tables.h"
#include "support/samples.h"

namespace veltrano::crash {
namespace {
namespace fs = std::filesystem;

using Report = std::map<std::string, uint64_t>;

Report ReadReport(const fs::path& path) {
    Report report;
    std::ifstream in(path);
    std::string name;
    std::string value;
    while (in >> name >> value)
        report[name] = std::stoull(value, nullptr, 16);
    return report;
}

// The crash writer built for one architecture, and how its callers are found without symbols.
struct Writer {
    const char* architecture;
    const char* path;  // empty where this build has no writer of the architecture
    FrameSource callers;
};

const Writer kWriters[] = {
    {"x64", VELTRANO_CRASH_WRITER, FrameSource::Unwind},
#ifdef VELTRANO_CRASH_WRITER_X86
    {"x86", VELTRANO_CRASH_WRITER_X86, FrameSource::FramePointer},
#else
    {"x86", "", FrameSource::FramePointer},
#endif
};

// The architecture names the test in ctest's list.
void PrintTo(const Writer& writer, std::ostream* out) {
    *out << writer.architecture;
}

// Runs a crash writer in a mode and waits for it to end; its report, empty when it wrote none
// or did not start (a 32-bit program where Wine has no 32-bit side).
Report Crash(const Writer& writer, const wchar_t* mode, const fs::path& dump,
             const fs::path& report) {
    if (!*writer.path)
        return {};
    const fs::path program = testing::HostFolder(writer.path);
    std::wstring command = L"\"" + program.wstring() + L"\" " + mode + L" \"" + dump.wstring() +
                           L"\" \"" + report.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return {};
    ::WaitForSingleObject(process.hProcess, 60000);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return ReadReport(report);
}

std::wstring DumpName(const Writer& writer, const wchar_t* mode) {
    return fs::path(writer.architecture).wstring() + L"-" + mode;
}

// Each test runs for the dumps of both writers; the dumps are written once for all of them.
class RealDumpTest : public ::testing::TestWithParam<Writer> {
  protected:
    static void SetUpTestSuite() {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        folder_ = fs::path(temp) / ("veltrano-crash-" + std::to_string(::GetCurrentProcessId()));
        fs::create_directories(folder_);
        for (const Writer& writer : kWriters) {
            for (const wchar_t* mode : {L"null", L"overrun"}) {
                const std::wstring name = DumpName(writer, mode);
                reports_[name] =
                    Crash(writer, mode, folder_ / (name + L".dmp"), folder_ / (name + L".txt"));
            }
        }
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    void SetUp() override {
        const Writer& writer = GetParam();
        if (!*writer.path)
            GTEST_SKIP() << "this build has no " << writer.architecture << " crash writer";
        if (ReportOf(L"null").empty() && ReportOf(L"overrun").empty())
            GTEST_SKIP() << "the " << writer.architecture
                         << " crash writer did not run (for x86: Wine's 32-bit side, wine32)";
    }

    fs::path DumpPath(const wchar_t* mode) const {
        return folder_ / (DumpName(GetParam(), mode) + L".dmp");
    }
    // The dump of a mode, analysed with the modules' own files (this machine is the drive).
    CrashAnalysis Analyse(const wchar_t* mode, bool readModuleFiles = true) {
        CrashOptions options;
        options.messages = &messages_;
        options.readModuleFiles = readModuleFiles;
        return AnalyseDump(files_, DumpPath(mode).u16string(), options);
    }
    const Report& ReportOf(const wchar_t* mode) { return reports_[DumpName(GetParam(), mode)]; }

    Win32FileSystem files_;
    Win32MessageTables messages_;
    static inline fs::path folder_;
    static inline std::map<std::wstring, Report> reports_;
};

// What the program told must be there before its dump is looked at.
void ExpectReported(const Report& report) {
    ASSERT_EQ(report.count("dump_written"), 1u) << "the crash writer wrote no report";
    ASSERT_EQ(report.at("dump_written"), 1u) << "MiniDumpWriteDump failed";
}

const CrashModule* ModuleNamed(const CrashAnalysis& a, const char16_t* name) {
    for (const CrashModule& m : a.modules) {
        if (m.name == name)
            return &m;
    }
    return nullptr;
}

// The frames the program reported about itself: the fault in the DLL, the return into the exe's
// function that called it, and that function's own return.
void ExpectFirstFrames(const CrashAnalysis& a, const Report& report, FrameSource callers) {
    ASSERT_GE(a.frames.size(), 3u);
    EXPECT_EQ(a.frames[0].source, FrameSource::Context);
    EXPECT_EQ(a.frames[0].address, report.at("address"));
    ASSERT_TRUE(a.frames[0].moduleIndex);
    EXPECT_EQ(a.modules[*a.frames[0].moduleIndex].name, u"crash_target.dll");
    EXPECT_EQ(a.frames[0].offset, report.at("fault_offset"));
    for (size_t i : {1, 2}) {
        ASSERT_TRUE(a.frames[i].moduleIndex) << "frame " << i;
        EXPECT_EQ(a.modules[*a.frames[i].moduleIndex].name, u"crash_writer.exe") << "frame " << i;
        EXPECT_EQ(a.frames[i].source, callers) << "frame " << i;
    }
    EXPECT_EQ(a.frames[1].offset, report.at("return_offset"));
    EXPECT_EQ(a.frames[2].offset, report.at("caller_return_offset"));
}

TEST_P(RealDumpTest, WriteThroughNullIsFoundInTheDllAndUnwoundToTheExe) {
    const Report& report = ReportOf(L"null");
    ExpectReported(report);
    const CrashAnalysis a = Analyse(L"null");
    ASSERT_TRUE(a.readable) << (a.problems.empty() ? "" : a.problems[0]);
    ASSERT_TRUE(a.hasException);
    EXPECT_EQ(a.exceptionCode, report.at("code"));
    EXPECT_EQ(a.exceptionCode, 0xC0000005u);
    EXPECT_EQ(a.exceptionName, u"Memory Access Violation");
    EXPECT_EQ(a.exceptionAddress, report.at("address"));
    EXPECT_EQ(a.threadId, report.at("thread"));
    ASSERT_TRUE(a.processId);
    EXPECT_EQ(*a.processId, report.at("process"));
    ASSERT_TRUE(a.faultingModule);
    EXPECT_EQ(a.faultingModule->name, u"crash_target.dll");
    EXPECT_EQ(a.faultingModule->offset, report.at("fault_offset"));
    const CrashModule* dll = ModuleNamed(a, u"crash_target.dll");
    ASSERT_NE(dll, nullptr);
    EXPECT_EQ(dll->base, report.at("dll_base"));
    EXPECT_EQ(a.architecture, fs::path(GetParam().architecture).u16string());
    ExpectFirstFrames(a, report, GetParam().callers);
    // Our DLL is no part of the system's dispatch: the signature names the fault itself.
    ASSERT_TRUE(a.signature);
    EXPECT_EQ(a.signature->module, u"crash_target.dll");
    EXPECT_EQ(a.signature->offset, report.at("fault_offset"));
    EXPECT_EQ(a.signature->frame, 0u);
    EXPECT_EQ(a.signature->hash.size(), 8u);
}

TEST_P(RealDumpTest, OverrunFaultsWritingTheFirstByteBeyondThePage) {
    const Report& report = ReportOf(L"overrun");
    ExpectReported(report);
    const CrashAnalysis a = Analyse(L"overrun");
    ASSERT_TRUE(a.hasException);
    EXPECT_EQ(a.exceptionCode, 0xC0000005u);
    ASSERT_TRUE(a.faultingModule);
    EXPECT_EQ(a.faultingModule->name, u"crash_target.dll");
    EXPECT_EQ(a.faultingModule->offset, report.at("fault_offset"));
    // An access violation's parameters: 1 for a write, then the address written.
    ASSERT_GE(a.exceptionParameters.size(), 2u);
    EXPECT_EQ(a.exceptionParameters[0], 1u);
    EXPECT_EQ(a.exceptionParameters[0], report.at("parameter0"));
    EXPECT_EQ(a.exceptionParameters[1], report.at("parameter1"));
    ExpectFirstFrames(a, report, GetParam().callers);
}

// Without the modules' files x64 has no unwind data: the scan sees every return address still
// on the stack, and the two reported are among them, the DLL function's own first and in order.
// The x86 chain of frame pointers needs no file and finds the same frames as before.
TEST_P(RealDumpTest, WithoutTheModulesFilesTheSameCallersAreFound) {
    for (const wchar_t* mode : {L"null", L"overrun"}) {
        const Report& report = ReportOf(mode);
        ExpectReported(report);
        const CrashAnalysis a = Analyse(mode, false);
        if (GetParam().callers == FrameSource::FramePointer) {
            ExpectFirstFrames(a, report, FrameSource::FramePointer);
            continue;
        }
        ASSERT_GE(a.frames.size(), 2u);
        EXPECT_EQ(a.frames[0].offset, report.at("fault_offset"));
        std::vector<uint64_t> exeOffsets;
        for (const Frame& f : a.frames) {
            EXPECT_TRUE(f.source == FrameSource::Context || f.source == FrameSource::Scan);
            if (f.moduleIndex && a.modules[*f.moduleIndex].name == u"crash_writer.exe")
                exeOffsets.push_back(f.offset);
        }
        ASSERT_FALSE(exeOffsets.empty());
        EXPECT_EQ(exeOffsets[0], report.at("return_offset"));
        EXPECT_NE(
            std::find(exeOffsets.begin(), exeOffsets.end(), report.at("caller_return_offset")),
            exeOffsets.end());
    }
}

std::vector<uint8_t> FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// An offset as Windows writes it in a crash record and a report: as wide as the program's
// pointers, without the 0x.
Text OffsetDigits(uint64_t offset, const Writer& writer) {
    return PaddedHex(offset, std::string_view(writer.architecture) == "x64" ? 16 : 8).substr(2);
}

// The crash record Windows writes for the program: its fault module and offset, its process.
evtxwriter::EvtxEvent CrashRecord(FileTime time, const Report& report, const Writer& writer) {
    evtxwriter::EvtxEvent e;
    e.recordId = 1;
    e.time = time;
    e.level = 2;
    e.provider = u"Application Error";
    e.eventId = 1000;
    e.computer = u"PC";
    const Text offset = OffsetDigits(report.at("fault_offset"), writer);
    e.data = {u"crash_writer.exe", u"0.0.0.0", u"00000000", u"crash_target.dll", u"0.0.0.0",
              u"00000000", u"c0000005", offset, HexText(report.at("process")),
              u"01d451d3c1e5c000", u"C:\\crash_writer.exe", u"C:\\crash_target.dll",
              u"8c3e7d0c-bd7a-11e8-8a5b-0a0027000006", u"", u""};
    return e;
}

// The two dumps on a drive as Windows leaves them: one beside its report, one in a profile's
// LocalDumps folder with the crash record of its process in the Application log. A scan joins
// each to its crash, and the record's fault agrees with what the dump says.
TEST_P(RealDumpTest, OnADriveEachDumpJoinsItsCrash) {
    const Report& beside = ReportOf(L"null");
    const Report& local = ReportOf(L"overrun");
    ExpectReported(beside);
    ExpectReported(local);
    testing::TempTree tree;
    testing::ReportFields wer;
    wer.appName = u"crash_writer.exe";
    wer.appPath = u"C:\\crash_writer.exe";
    wer.faultModule = u"crash_target.dll";
    wer.faultOffset = OffsetDigits(beside.at("fault_offset"), GetParam());
    const std::string reportFolder = "ProgramData/Microsoft/Windows/WER/ReportArchive/AppCrash_w/";
    tree.Write(reportFolder + "Report.wer", testing::ReportBytes(wer));
    tree.Write(reportFolder + "memory.hdmp", FileBytes(DumpPath(L"null")));
    const std::string localName =
        "crash_writer.exe." + std::to_string(local.at("process")) + ".dmp";
    tree.Write("Users/ann/AppData/Local/CrashDumps/" + localName,
               FileBytes(DumpPath(L"overrun")));
    const FileTime crashTime = *UnixSecondsToFileTime(Analyse(L"overrun").dumpTime);
    tree.Write("Windows/System32/winevt/Logs/Application.evtx",
               evtxwriter::WriteEvtxLog({CrashRecord(crashTime, local, GetParam())}, u"Application"));

    auto host = MakeHostFileSystem();
    testing::FakeClock clock(crashTime + kTicksPerDay);
    OfflineMachine drive(*host, tree.RootText(), clock);
    ErrorCatalogue catalogue;
    const CrashFindings found =
        ScanPorts(catalogue, drive.machine(), &drive.manifestQuery(), true, {}, {}, nullptr)
            .crashes;
    EXPECT_TRUE(found.problems.empty()) << found.problems[0];
    ASSERT_EQ(found.dumps.size(), 2u);
    const JoinedDump* report = found.DumpOf(u"crash_writer.exe_Stopped working");
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->join, DumpJoin::ReportFolder);
    const JoinedDump* crash = found.DumpOf(u"Application Error: crash_writer.exe_1000");
    ASSERT_NE(crash, nullptr);
    EXPECT_EQ(crash->join, DumpJoin::ProcessAndTime);
    for (const auto& [joined, told] : {std::pair{report, &beside}, std::pair{crash, &local}}) {
        EXPECT_EQ(joined->agreement, FaultAgreement::Agrees);
        ASSERT_TRUE(joined->analysis.faultingModule);
        EXPECT_EQ(joined->analysis.faultingModule->name, u"crash_target.dll");
        EXPECT_EQ(joined->analysis.faultingModule->offset, told->at("fault_offset"));
    }
}

INSTANTIATE_TEST_SUITE_P(BothArchitectures, RealDumpTest, ::testing::ValuesIn(kWriters),
                         [](const ::testing::TestParamInfo<Writer>& info) {
                             return std::string(info.param.architecture);
                         });

}  // namespace
}  // namespace veltrano::crash
