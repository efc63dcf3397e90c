// A drive's dumps joined to its errors by a scan: the real sample dump (written on a Windows 10
// machine by a crash reporter: CrashTest.exe, process 6256, an invalid parameter, at
// 2018-09-21T17:00:46Z) beside a report and in a LocalDumps folder, and a blue screen's records
// with the kernel dump they name.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "drive/drive_scan.h"
#include "drive/stop_errors.h"
#include "kernel_dump_writer.h"
#include "platform/host.h"
#include "platform/offline/machine/offline_machine.h"
#include "support/fake_clock.h"
#include "support/report_files.h"
#include "support/samples.h"
#include "support/temp_tree.h"
#include "writers/evtx/evtx_log_writer.h"

namespace veltrano {
namespace {

constexpr uint32_t kSampleProcess = 6256;  // 0x1870, the dump's misc info
constexpr size_t kMiscInfoAt = 256;  // the MiscInfo stream, as the sample's directory says
constexpr char kCrashKey[] = "Application Error: CrashTest.exe_1000";

std::vector<uint8_t> SampleDump() {
    std::ifstream in(testing::SamplesDir() / "dumps/crashtest_invalid_parameter_x64.dmp",
                     std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The sample with another process id in its misc info.
std::vector<uint8_t> DumpOfProcess(uint32_t process) {
    std::vector<uint8_t> dump = SampleDump();
    for (int i = 0; i < 4; ++i)
        dump[kMiscInfoAt + 8 + i] = static_cast<uint8_t>(process >> (8 * i));
    return dump;
}

FileTime UnixTime(int64_t seconds) {
    return *UnixSecondsToFileTime(seconds);
}
const FileTime kDumpTime = UnixTime(1537549246);

// An "Application Error" 1000 record of CrashTest.exe in the Windows 8 layout of its strings.
evtxwriter::EvtxEvent CrashRecord(uint64_t id, FileTime time, TextView process, TextView module,
                                  TextView offset) {
    evtxwriter::EvtxEvent e;
    e.recordId = id;
    e.time = time;
    e.level = 2;
    e.provider = u"Application Error";
    e.eventId = 1000;
    e.computer = u"PC";
    e.data = {u"CrashTest.exe", u"1.0.0.0", u"5ba52a2f", Text(module), u"10.0.17134.1",
              u"5ba52a2f", u"c000000d", Text(offset), Text(process), u"01d451d3c1e5c000",
              u"C:\\build\\CrashTest.exe", u"C:\\build\\CrashTest.exe",
              u"8c3e7d0c-bd7a-11e8-8a5b-0a0027000006", u"", u""};
    return e;
}

// A scan of the drive in tree at now, its dumps read unless told not to.
crash::CrashFindings ScanDrive(const testing::TempTree& tree, FileTime now,
                               ErrorCatalogue& catalogue, bool readDumps = true) {
    auto host = MakeHostFileSystem();
    testing::FakeClock clock(now);
    OfflineMachine drive(*host, tree.RootText(), clock);
    ScanChoices choices;
    choices.readDumps = readDumps;
    return ScanPorts(catalogue, drive.machine(), &drive.manifestQuery(), true, {}, choices,
                     nullptr)
        .crashes;
}

class CrashDumpsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (SampleDump().empty())
            GTEST_SKIP() << "the shared sample dump is not here";
    }
    void WriteApplicationLog(const std::vector<evtxwriter::EvtxEvent>& events) {
        tree_.Write("Windows/System32/winevt/Logs/Application.evtx",
                    evtxwriter::WriteEvtxLog(events, u"Application"));
    }
    crash::CrashFindings Scan(bool readDumps = true) {
        return ScanDrive(tree_, testing::At(2018, 10, 1), catalogue_, readDumps);
    }

    testing::TempTree tree_;
    ErrorCatalogue catalogue_;
};

TEST_F(CrashDumpsTest, ADumpBesideAReportBelongsToItsErrorAndDisagreementShows) {
    testing::ReportFields report;
    report.appName = u"CrashTest.exe";
    report.appPath = u"C:\\build\\CrashTest.exe";
    report.faultModule = u"ucrtbased.dll";  // not where the dump says it happened
    report.faultOffset = u"00000000000a1b2c";
    // The machine's archive, and the same folder again as "All Users" shows it (a junction on
    // Windows, a copy here): still one dump.
    for (const std::string root : {"ProgramData", "Users/All Users"}) {
        const std::string folder = root + "/Microsoft/Windows/WER/ReportArchive/AppCrash_CrashTest/";
        tree_.Write(folder + "Report.wer", testing::ReportBytes(report));
        tree_.Write(folder + "memory.hdmp", SampleDump());
        tree_.Write(folder + "broken.mdmp", std::string("MDMP\x93\xa7", 6));
    }

    const crash::CrashFindings found = Scan();
    ASSERT_EQ(found.dumps.size(), 1u);
    const auto& [key, dump] = *found.dumps.begin();
    EXPECT_EQ(key, u"CrashTest.exe_Stopped working");
    EXPECT_EQ(dump.join, crash::DumpJoin::ReportFolder);
    EXPECT_EQ(dump.dumps, 1);
    EXPECT_EQ(dump.analysis.exceptionCode, 0xC000000Du);
    EXPECT_EQ(dump.analysis.processId, kSampleProcess);
    EXPECT_EQ(dump.agreement, crash::FaultAgreement::Differs);
    EXPECT_EQ(dump.recordModule, u"ucrtbased.dll");
    EXPECT_EQ(dump.recordOffset, u"00000000000a1b2c");
    ASSERT_TRUE(dump.analysis.signature);
    EXPECT_EQ(dump.analysis.signature->module, u"crashtest.exe");
    // The damaged dump is named, and takes nothing else with it.
    ASSERT_EQ(found.problems.size(), 1u);
    EXPECT_NE(found.problems[0].find("broken.mdmp: "), std::string::npos) << found.problems[0];
    EXPECT_EQ(found.dumpsRead, 1);

    EXPECT_TRUE(Scan(false).dumps.empty());
}

TEST_F(CrashDumpsTest, ALocalDumpJoinsTheCrashOfItsProcessAndTime) {
    // The latest crash is the dump's process; the record's fault (no module: the handler raised
    // it at address 0) agrees with the dump's.
    WriteApplicationLog({CrashRecord(1, kDumpTime - 3600 * kTicksPerSecond, u"1000", u"x.dll",
                                     u"0000000000000010"),
                         CrashRecord(2, kDumpTime + 2 * kTicksPerSecond, u"1870", u"unknown",
                                     u"0000000000000000")});
    tree_.Write("Users/ann/AppData/Local/CrashDumps/CrashTest.exe.6256.dmp", SampleDump());
    crash::CrashFindings found = Scan();
    ASSERT_EQ(found.dumps.size(), 1u);
    const crash::JoinedDump& dump = found.dumps.begin()->second;
    EXPECT_EQ(found.dumps.begin()->first, Utf8ToUtf16(kCrashKey));
    EXPECT_EQ(dump.join, crash::DumpJoin::ProcessAndTime);
    EXPECT_EQ(dump.agreement, crash::FaultAgreement::Agrees);

    // A dump of another process at that time is not that crash's.
    tree_.Write("Users/ann/AppData/Local/CrashDumps/CrashTest.exe.6256.dmp", DumpOfProcess(99));
    catalogue_ = ErrorCatalogue();
    EXPECT_TRUE(Scan().dumps.empty());

    // Nor is a dump of hours away from any crash of the program.
    WriteApplicationLog({CrashRecord(1, kDumpTime - 3 * 3600 * kTicksPerSecond, u"1870",
                                     u"unknown", u"0000000000000000")});
    tree_.Write("Users/ann/AppData/Local/CrashDumps/CrashTest.exe.6256.dmp", SampleDump());
    catalogue_ = ErrorCatalogue();
    EXPECT_TRUE(Scan().dumps.empty());
}

TEST(StopErrorsTest, TheBugCheckTextReadsAsCodeAndParametersOrNotAtAll) {
    const auto stop = StopErrorOfBugCheckText(
        u"0x0000000a (0x0000000000000000, 0x0000000000000002, 0x0000000000000000, "
        u"0xfffff80002a8c0f5)");
    ASSERT_TRUE(stop);
    EXPECT_EQ(stop->bugCheckCode, 0xAu);
    EXPECT_EQ(stop->parameters[1], 2u);
    EXPECT_EQ(stop->parameters[3], 0xfffff80002a8c0f5u);
    for (TextView bad : {TextView(u""), TextView(u"0x0000000a"), TextView(u"0xa (1, 2, 3)"),
                         TextView(u"0xa (1, 2, 3, 4, 5)"), TextView(u"zz (1, 2, 3, 4)"),
                         TextView(u"0x1ffffffff (1, 2, 3, 4)")})
        EXPECT_FALSE(StopErrorOfBugCheckText(bad)) << Utf16ToUtf8(bad);
}

evtxwriter::EvtxEvent SystemRecord(uint64_t id, FileTime time, TextView provider, uint16_t event,
                                   uint8_t level, std::vector<Text> data) {
    evtxwriter::EvtxEvent e;
    e.recordId = id;
    e.time = time;
    e.level = level;
    e.provider = Text(provider);
    e.eventId = event;
    e.computer = u"PC";
    e.data = std::move(data);
    return e;
}

TEST(StopErrorsTest, ABlueScreensRecordsAndKernelDumpBecomeOneRow) {
    const FileTime boot = testing::At(2026, 12, 5, 9, 0, 0);
    const FileTime second = kTicksPerSecond;
    const std::vector<Text> power = {u"10", u"0x0", u"0x2", u"0x0", u"0xfffff80002a8c0f5", u"0"};
    const std::vector<Text> lost = {u"0", u"0x0", u"0x0", u"0x0", u"0x0", u"0"};
    testing::TempTree tree;
    tree.Write(
        "Windows/System32/winevt/Logs/System.evtx",
        evtxwriter::WriteEvtxLog(
            {// A power loss a week before stays a row of its own.
             SystemRecord(1, boot - 7 * kTicksPerDay, u"Microsoft-Windows-Kernel-Power", 41, 1,
                          lost),
             SystemRecord(2, boot - 7 * kTicksPerDay + 20 * second, u"EventLog", 6008, 2,
                          {u"12:00:00", u"28.11.2026"}),
             SystemRecord(3, boot, u"Microsoft-Windows-Kernel-Power", 41, 1, power),
             SystemRecord(4, boot + 15 * second, u"EventLog", 6008, 2,
                          {u"08:55:02", u"05.12.2026"}),
             SystemRecord(5, boot + 60 * second, u"BugCheck", 1001, 2,
                          {u"0x0000000a (0x0000000000000000, 0x0000000000000002, "
                           u"0x0000000000000000, 0xfffff80002a8c0f5)",
                           u"C:\\Windows\\Minidump\\120526-7-01.dmp", u"120526-7-01"})},
            u"System"));
    testing::KernelDumpPlan plan;
    plan.bugCheckCode = 0xA;
    plan.parameters = {0, 2, 0, 0xfffff80002a8c0f5};
    plan.systemTime = boot - 5 * 60 * second;
    plan.buildNumber = 19045;
    plan.dumpType = 4;
    plan.drivers = {{u"ntoskrnl.exe", 0xfffff80002a00000, 0x600000},
                    {u"tcpip.sys", 0xfffff88001600000, 0x100000}};
    tree.Write("Windows/Minidump/120526-7-01.dmp", testing::WriteKernelDump(plan));
    tree.Write("Windows/Minidump/older.dmp", std::string("PAGEDU64", 8));

    ErrorCatalogue catalogue;
    const crash::CrashFindings found =
        ScanDrive(tree, testing::At(2026, 12, 8, 12, 0, 0), catalogue);

    ASSERT_EQ(found.stopErrors.size(), 1u);
    const auto& [key, stop] = *found.stopErrors.begin();
    EXPECT_EQ(key, u"BugCheck_1001");
    EXPECT_EQ(stop.bugCheckCode, 0xAu);
    EXPECT_EQ(stop.bugCheckName, u"IRQL_NOT_LESS_OR_EQUAL");
    EXPECT_EQ(stop.dumpPath, u"C:\\Windows\\Minidump\\120526-7-01.dmp");
    ASSERT_TRUE(stop.dump && stop.dump->driver);
    EXPECT_EQ(stop.dump->driver->name, u"ntoskrnl.exe");
    EXPECT_EQ(stop.dump->buildNumber, 19045u);
    EXPECT_EQ(stop.powerRecords, 1);
    EXPECT_EQ(stop.shutdownRecords, 1);
    EXPECT_EQ(found.problems.size(), 1u);  // the header cut short

    const ErrorEntry* row = catalogue.Find(Text(u"BugCheck_1001"));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->ErrorSummary, u"Stop error 0x0000000a (IRQL_NOT_LESS_OR_EQUAL)");
    // The week-old power loss and its shutdown are left, counted once each.
    for (const char16_t* left :
         {u"Microsoft-Windows-Kernel-Power_41", u"EventLog_6008"}) {
        const ErrorEntry* entry = catalogue.Find(Text(left));
        ASSERT_NE(entry, nullptr) << Utf16ToUtf8(left);
        EXPECT_EQ(entry->ErrorCount, 1);
        EXPECT_EQ(entry->WeekCount, 0);
        EXPECT_EQ(entry->OccurrenceTimes.size(), 1u);
        EXPECT_LT(entry->LastErrorDateTime, boot - kTicksPerDay);
    }
    EXPECT_EQ(catalogue.TotalErrors, 3);
}

// A drive whose logs no longer tell of its blue screens (the usual triage collection, months
// old): the kernel dumps make the row themselves, one occurrence each, and a power record of the
// same boot goes into it.
TEST(StopErrorsTest, KernelDumpsWithoutTheirRecordsMakeTheRow) {
    const FileTime crash = testing::At(2026, 9, 14, 18, 30, 0);
    const FileTime older = testing::At(2026, 6, 2, 7, 15, 0);
    testing::TempTree tree;
    tree.Write("Windows/System32/winevt/Logs/System.evtx",
               evtxwriter::WriteEvtxLog(
                   {SystemRecord(1, crash + 3 * 60 * kTicksPerSecond,
                                 u"Microsoft-Windows-Kernel-Power", 41, 1,
                                 {u"0", u"0x0", u"0x0", u"0x0", u"0x0", u"0"})},
                   u"System"));
    testing::KernelDumpPlan newest;
    newest.bugCheckCode = 0xA;
    newest.parameters = {0, 2, 0, 0xfffff80002a8c0f5};
    newest.systemTime = crash;
    tree.Write("Windows/Minidump/091426-5-01.dmp", testing::WriteKernelDump(newest));
    testing::KernelDumpPlan x86;
    x86.x64 = false;
    x86.machineType = 0x14C;
    x86.bugCheckCode = 0x50;
    x86.parameters = {0x8d3b2000, 0, 0x82a1c0f5, 2};
    x86.systemTime = older;
    tree.Write("Windows/Minidump/060226-3-01.dmp", testing::WriteKernelDump(x86));
    testing::KernelDumpPlan unnamed;  // no bug check, no time: read, but no blue screen of it
    tree.Write("Windows/Minidump/empty.dmp", testing::WriteKernelDump(unnamed));

    ErrorCatalogue catalogue;
    const crash::CrashFindings found =
        ScanDrive(tree, testing::At(2026, 12, 8, 12, 0, 0), catalogue);

    EXPECT_EQ(found.dumpsRead, 3);
    ASSERT_EQ(found.stopErrors.size(), 1u);
    const auto& [key, stop] = *found.stopErrors.begin();
    EXPECT_EQ(key, u"Windows_BlueScreen");
    EXPECT_EQ(stop.bugCheckCode, 0xAu);
    EXPECT_EQ(stop.parameters[3], 0xfffff80002a8c0f5u);
    EXPECT_EQ(stop.dumpPath, u"C:\\Windows\\Minidump\\091426-5-01.dmp");
    EXPECT_EQ(stop.powerRecords, 1);

    const ErrorEntry* row = catalogue.Find(key);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->ErrorSummary, u"Stop error 0x0000000a (IRQL_NOT_LESS_OR_EQUAL)");
    EXPECT_EQ(row->ErrorCount, 2);
    EXPECT_EQ(row->LastErrorDateTime, crash);
    EXPECT_EQ(row->FirstErrorDateTime, older);
    ASSERT_TRUE(row->ErrorText);
    EXPECT_EQ(*row->ErrorText,
              u"C:\\Windows\\Minidump\\091426-5-01.dmp\r\n0x0000000a (0x0000000000000000, "
              u"0x0000000000000002, 0x0000000000000000, 0xfffff80002a8c0f5)\r\n"
              u"C:\\Windows\\Minidump\\060226-3-01.dmp\r\n0x00000050 (0x8d3b2000, 0x00000000, "
              u"0x82a1c0f5, 0x00000002)\r\n");
    // The power record of the newest crash's boot is the row's; nothing else is left.
    EXPECT_EQ(catalogue.Find(Text(u"Microsoft-Windows-Kernel-Power_41")), nullptr);
    EXPECT_EQ(catalogue.TotalErrors, 1);
    EXPECT_EQ(catalogue.MaxAgeDays, 189);  // the 32-bit dump's crash, 2 June, before 8 December
}

}  // namespace
}  // namespace veltrano
