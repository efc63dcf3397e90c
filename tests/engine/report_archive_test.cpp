#include "engine/report_archive.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "shell/local_texts.h"
#include "support/fake_clock.h"
#include "support/report_files.h"
#include "support/samples.h"
#include "support/test_drive.h"

namespace veltrano {
namespace {
using testing::At;
using testing::ReportBytes;
using testing::ReportFields;

constexpr char kMachineArchive[] = "ProgramData/Microsoft/Windows/WER/ReportArchive/";
constexpr char kAllUsersArchive[] = "Users/All Users/Microsoft/Windows/WER/ReportArchive/";

std::string UserArchive(const std::string& user) {
    return "Users/" + user + "/AppData/Local/Microsoft/Windows/WER/ReportArchive/";
}

ReportFields Report(Text app, Text event, FileTime time, Text id) {
    ReportFields fields;
    fields.appName = std::move(app);
    fields.friendlyEventName = std::move(event);
    fields.eventTime = DecimalText(static_cast<int64_t>(time));
    fields.reportId = std::move(id);
    return fields;
}

// Refuses to open files whose path contains "locked", as a report without access rights would.
class LockingFiles : public DriveMappedFileSystem {
  public:
    using DriveMappedFileSystem::DriveMappedFileSystem;
    std::unique_ptr<ReadableFile> OpenForReading(TextView path) override {
        if (path.find(u"locked") != TextView::npos)
            return nullptr;
        return DriveMappedFileSystem::OpenForReading(path);
    }
};

class ReportArchiveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitLocalTexts(0x0409, u"");
        catalogue.WeekStart = clock.UtcNow() - kTicksPerWeek;
    }
    void Scan() { ReadReportArchive(catalogue, drive.files(), clock); }
    void Put(const std::string& path, const ReportFields& fields) {
        drive.tree().Write(path, ReportBytes(fields));
    }

    testing::FakeClock clock;
    testing::TestDrive drive;
    ErrorCatalogue catalogue;
};

TEST_F(ReportArchiveTest, ReadsTheMachineAllUsersAndEveryProfile) {
    const FileTime t = At(2026, 12, 1);
    Put(std::string(kMachineArchive) + "AppCrash_a/Report.wer", Report(u"A", u"E", t, u"id-a"));
    Put(std::string(kAllUsersArchive) + "AppCrash_b/Report.wer", Report(u"B", u"E", t, u"id-b"));
    Put(UserArchive("alice") + "AppCrash_c/Report.wer", Report(u"C", u"E", t, u"id-c"));
    Put(UserArchive("bob") + "deeper/AppCrash_d/Report.wer", Report(u"D", u"E", t, u"id-d"));
    drive.tree().Write("Users/carol/readme.txt", std::string("no archive here"));
    Scan();
    ASSERT_EQ(catalogue.entries.size(), 4u);
    for (const char16_t* key : {u"A_E", u"B_E", u"C_E", u"D_E"}) {
        const ErrorEntry* e = catalogue.Find(key);
        ASSERT_NE(e, nullptr) << Utf16ToUtf8(key);
        EXPECT_EQ(e->Category, CategoryReportFile);
        EXPECT_EQ(e->AppPath, u"C:\\Windows\\System32\\notepad.exe");
    }
    EXPECT_EQ(catalogue.ReportFileIndex.at(u"id-d"), u"D_E");
}

TEST_F(ReportArchiveTest, TakesOnlyLowerCaseWerExtensionsWithANameBeforeTheDot) {
    const std::string dir = std::string(kMachineArchive) + "AppCrash_x/";
    const FileTime t = At(2026, 12, 1);
    Put(dir + "upper.WER", Report(u"Upper", u"E", t, u"1"));
    Put(dir + ".wer", Report(u"DotOnly", u"E", t, u"2"));
    Put(dir + "a.wer", Report(u"OneLetter", u"E", t, u"3"));
    Put(dir + "report.wer.bak", Report(u"Backup", u"E", t, u"4"));
    Put(dir + "x.y.wer", Report(u"TwoDots", u"E", t, u"5"));
    Scan();
    EXPECT_EQ(catalogue.entries.size(), 2u);
    EXPECT_NE(catalogue.Find(u"OneLetter_E"), nullptr);
    EXPECT_NE(catalogue.Find(u"TwoDots_E"), nullptr);
}

TEST_F(ReportArchiveTest, MergesReportsOfTheSameErrorAndKeepsTheLaterIdentifier) {
    Put(std::string(kMachineArchive) + "r1/Report.wer",
        Report(u"App", u"Crash", At(2026, 12, 1), u"old"));
    Put(UserArchive("alice") + "r2/Report.wer", Report(u"App", u"Crash", At(2026, 12, 5), u"new"));
    Scan();
    ASSERT_EQ(catalogue.entries.size(), 1u);
    const ErrorEntry& e = *catalogue.Find(u"App_Crash");
    EXPECT_EQ(e.ErrorCount, 2);
    EXPECT_EQ(e.ReportId, u"new");
    EXPECT_EQ(catalogue.ReportFileIndex.count(u"old"), 0u);
    EXPECT_EQ(catalogue.ReportFileIndex.at(u"new"), u"App_Crash");
}

TEST_F(ReportArchiveTest, SummaryAndTextOfANewEntry) {
    ReportFields described = Report(u"A", u"E", At(2026, 12, 1), u"1");
    described.description = u"The program closed unexpectedly.";
    Put(std::string(kMachineArchive) + "a/Report.wer", described);
    Put(std::string(kMachineArchive) + "b/Report.wer", Report(u"B", u"E", At(2026, 12, 1), u"2"));
    Scan();
    const ErrorEntry& a = *catalogue.Find(u"A_E");
    EXPECT_EQ(a.ErrorSummary, u"The program closed unexpectedly.");
    ASSERT_TRUE(a.ErrorText);
    EXPECT_EQ(*a.ErrorText, u"\ufeff" + testing::ReportText(described));  // the mark stays
    EXPECT_FALSE(a.MessageTemplate);
    EXPECT_EQ(a.ExceptionCode, u"");
    EXPECT_EQ(catalogue.Find(u"B_E")->ErrorSummary,
              u"The application encountered an error that was logged by Windows Error Reporting.");
}

TEST_F(ReportArchiveTest, MaxAgeDaysComesFromLastWriteTimesAndIgnoresTheFuture) {
    const std::string old = std::string(kMachineArchive) + "old/Report.wer";
    const std::string future = std::string(kMachineArchive) + "future/Report.wer";
    Put(old, Report(u"A", u"E", At(2026, 1, 1), u"1"));
    Put(future, Report(u"B", u"E", At(2026, 1, 1), u"2"));
    drive.tree().SetLastWrite(old, clock.NowSeconds() - 40 * 86400 - 5);
    drive.tree().SetLastWrite(future, clock.NowSeconds() + 86400 * 3);
    Scan();
    EXPECT_EQ(catalogue.MaxAgeDays, 40);
}

TEST_F(ReportArchiveTest, SurvivesOddGarbageHugeAndUnreadableFiles) {
    const std::string dir = std::string(kMachineArchive) + "bad/";
    std::vector<uint8_t> odd = ReportBytes(Report(u"Odd", u"E", At(2026, 12, 1), u"o"));
    odd.push_back('Z');
    drive.tree().Write(dir + "odd.wer", odd);
    std::vector<uint8_t> garbage(70000);
    uint32_t x = 12345;
    for (auto& b : garbage)
        b = static_cast<uint8_t>((x = x * 1103515245 + 12345) >> 16);
    drive.tree().Write(dir + "garbage.wer", garbage);
    // 10 MB: many irrelevant lines, then the keys.
    Text big;
    for (int i = 0; big.size() < 5'000'000; ++i)
        big += u"Filler[" + DecimalText(i) + u"]=xxxxxxxxxxxxxxxxxxxxxxxx\r\n";
    big += testing::ReportText(Report(u"Big", u"E", At(2026, 12, 2), u"b"));
    drive.tree().Write(dir + "big.wer", testing::Utf16Bytes(big));
    Put(dir + "locked.wer", Report(u"Locked", u"E", At(2026, 12, 1), u"l"));

    auto host = MakeHostFileSystem();
    LockingFiles files(*host, drive.tree().RootText());
    ReadReportArchive(catalogue, files, clock);

    EXPECT_NE(catalogue.Find(u"Odd_E"), nullptr);
    EXPECT_EQ(catalogue.Find(u"Locked_E"), nullptr);
    const ErrorEntry* huge = catalogue.Find(u"Big_E");
    ASSERT_NE(huge, nullptr);
    EXPECT_GT(huge->ErrorText->size(), 5'000'000u);
    EXPECT_EQ(huge->ReportId, u"b");
}

TEST(ReportText, OddTrailingByteAndZeroUnitsPerChunk) {
    testing::TestDrive drive;
    // "AB" then an odd byte 'C'.
    drive.tree().Write("x.wer", std::vector<uint8_t>{'A', 0, 'B', 0, 'C'});
    EXPECT_EQ(*ReadReportText(drive.files(), u"C:\\x.wer"), u"ABC");
    // A zero unit ends its 1024-byte chunk; the next chunk is read on.
    std::vector<uint8_t> bytes(1024 + 4, 0);
    bytes[0] = 'a';
    bytes[2] = 0;  // zero unit at index 1
    bytes[4] = 'x';
    bytes[1024] = 'b';
    bytes[1026] = 'c';
    drive.tree().Write("y.wer", bytes);
    EXPECT_EQ(*ReadReportText(drive.files(), u"C:\\y.wer"), u"abc");
    EXPECT_FALSE(ReadReportText(drive.files(), u"C:\\missing.wer"));
}

TEST(ReportParsing, KeysValuesAndTheBlankLineStop) {
    ErrorOccurrence o;
    ParseReportText(
        u"\ufeffVersion=1\r\nAppNameExtended=Long Key App\r\nFriendlyEventName=First\r\n"
        u"FriendlyEventName=Second=with equals\r\nEventTime=\r\nAppPath\r\n"
        u"IntegratorReportIdentifier=abc\r\n   \r\nReportDescription=never read\r\n",
        o);
    EXPECT_EQ(o.AppName, u"Long Key App");
    EXPECT_EQ(o.ErrorName, u"Second=with equals");
    EXPECT_EQ(o.time, 0u);
    EXPECT_EQ(o.AppPath, u"");
    EXPECT_EQ(o.ReportId, u"abc");
    EXPECT_EQ(o.ReportDescription, u"");
}

TEST(ReportParsing, ByteOrderMarkHidesTheFirstKeyAndFieldsAreCapped) {
    ErrorOccurrence o;
    ParseReportText(u"\ufeffAppName=hidden behind the mark\r\nAppPath=" + Text(2000, u'p'), o);
    EXPECT_EQ(o.AppName, u"");
    EXPECT_EQ(o.AppPath.size(), kPathCapacity - 1);
}

TEST_F(ReportArchiveTest, ReportWithoutKeysIsAnEmptyNamedErrorAtTimeZero) {
    drive.tree().Write(std::string(kMachineArchive) + "e/Report.wer",
                       testing::Utf16Bytes(u"Version=1\r\nEventTime=\r\n"));
    Scan();
    const ErrorEntry* e = catalogue.Find(u"_");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->LastErrorDateTime, 0u);
    EXPECT_EQ(e->WeekCount, 0);
}

TEST_F(ReportArchiveTest, RealArchiveOfAWindows10Machine) {
    namespace fs = std::filesystem;
    const fs::path samples = testing::SamplesDir() / "wer" / "DAM_Win10_RathbunVM";
    if (!fs::exists(samples))
        GTEST_SKIP() << "no sample archive at " << samples.string();
    // (No trailing separator: MinGW's copy silently copies nothing into "folder/".)
    const fs::path target =
        drive.tree().MakeFolder(std::string(kMachineArchive, sizeof kMachineArchive - 2));
    fs::copy(samples, target, fs::copy_options::recursive);
    Scan();
    const ErrorEntry* tiworker =
        catalogue.Find(u"Windows Modules Installer Worker_WindowsWcpOtherFailure3");
    ASSERT_NE(tiworker, nullptr);
    EXPECT_EQ(tiworker->ErrorCount, 2);
    EXPECT_EQ(tiworker->LastErrorDateTime, 132888271920192218u);
    EXPECT_EQ(tiworker->FirstErrorDateTime, 132885941895519640u);
    const ErrorEntry* store =
        catalogue.Find(u"Host Process for Windows Services_StoreAgentScanForUpdatesFailure0");
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->ErrorCount, 2);
    // No IntegratorReportIdentifier in these reports: nothing enters the index.
    EXPECT_TRUE(catalogue.ReportFileIndex.empty());
    EXPECT_EQ(catalogue.entries.size(), 2u);
}

}  // namespace
}  // namespace veltrano
