#include "engine/scan.h"

#include <gtest/gtest.h>

#include "engine/scan_messages.h"
#include "support/engine_machine.h"
#include "support/report_files.h"
#include "support/test_drive.h"

namespace veltrano {
namespace {
using testing::BuildRecord;
using testing::EngineMachine;

class ScanTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m.logs.Log(u"Application");
        m.logs.Log(u"System");
        m.machine.files = &drive.files();
    }
    EngineMachine m;
    testing::TestDrive drive;
};

TEST_F(ScanTest, EmptyMachineEndsWithZeroCountsAndDone) {
    m.catalogue.TotalErrors = 9;
    EXPECT_EQ(ScanWorker(m.catalogue, m.machine), 0);
    const auto messages = m.sink.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].id, WM_SCAN_PROGRESS);
    EXPECT_EQ(messages[0].text, u"0 errors found, occurred in the last 0 days");
    EXPECT_EQ(messages[1].id, WM_SCAN_DONE);
    EXPECT_TRUE(m.catalogue.entries.empty());
    EXPECT_EQ(m.catalogue.TotalErrors, 0);
}

TEST_F(ScanTest, BoundariesAreFixedFromNow) {
    m.clock.Set(testing::At(2026, 3, 31, 12));
    RunScan(m.catalogue, m.machine);
    EXPECT_EQ(m.catalogue.WeekStart, testing::At(2026, 3, 24, 12));
    EXPECT_EQ(m.catalogue.MonthStart, testing::At(2026, 2, 28, 12));
    EXPECT_EQ(m.catalogue.HalfYearStart, testing::At(2025, 9, 30, 12));
}

TEST_F(ScanTest, ReportFileIsJoinedToItsCrashEvent) {
    testing::ReportFields fields;
    fields.appName = u"Notepad";
    fields.friendlyEventName = u"Stopped working";
    fields.reportId = u"3f2b1c4d-aaaa-bbbb-cccc-111122223333";
    fields.eventTime = DecimalText(static_cast<int64_t>(m.clock.UtcNow() - 3600 * kTicksPerSecond));
    drive.tree().Write("ProgramData/Microsoft/Windows/WER/ReportArchive/AppCrash_n/Report.wer",
                       testing::ReportBytes(fields));
    m.logs.Log(u"Application")
        .records.push_back(
            BuildRecord(m.Record(3600, u"Application Error", 1000,
                                 testing::CrashStrings(u"notepad.exe", u"C:\\Windows\\notepad.exe",
                                                       u"c0000005", fields.reportId))));
    ScanWorker(m.catalogue, m.machine);

    EXPECT_EQ(m.catalogue.TotalErrors, 1);
    EXPECT_EQ(m.catalogue.Find(u"Notepad_Stopped working")->Linked, 1);
    const ErrorEntry& crash = *m.catalogue.Find(u"Application Error: notepad.exe_1000");
    EXPECT_TRUE(StartsWith(crash.ErrorSummary, u"Notepad has stopped working\r\nException Code"));
    EXPECT_NE(crash.ErrorText->find(u"Details from WER file"), Text::npos);
    EXPECT_EQ(m.sink.Messages().back().id, WM_SCAN_DONE);
}

TEST_F(ScanTest, ElapsedSecondsIncludeThePauseOnARealClock) {
    // With the fake clock nothing sleeps; the pause is asked for once, at the end of the logs.
    ScanWorker(m.catalogue, m.machine);
    EXPECT_EQ(m.clock.sleeps, std::vector<uint32_t>{2000});
    EXPECT_EQ(m.sink.Messages().back().wParam, 0u);
}

}  // namespace
}  // namespace veltrano
