#include "engine/link_reports.h"

#include <gtest/gtest.h>

#include "support/engine_machine.h"

namespace veltrano {
namespace {
using testing::EngineMachine;

class LinkReportsTest : public ::testing::Test {
  protected:
    ErrorEntry& AddEntry(int32_t category, Text app, Text name, Text reportId,
                         std::optional<Text> text, Text summary = u"") {
        ErrorOccurrence o;
        o.AppName = std::move(app);
        o.ErrorName = std::move(name);
        o.ReportId = std::move(reportId);
        o.time = m.clock.UtcNow() - kTicksPerDay;
        ErrorEntry e = m.catalogue.CreateEntry(o, m.clock.UtcNow());
        e.Category = category;
        e.ErrorText = std::move(text);
        e.ErrorSummary = std::move(summary);
        const Text key = EntryKey(e);
        m.catalogue.Add(std::move(e));
        return *m.catalogue.Find(key);
    }
    int32_t Link() { return LinkReports(m.catalogue, m.machine.messages); }

    EngineMachine m;
    const Text report = u"\ufeffVersion=1\r\nUI[3]=Notepad has stopped working\r\nAppName=Notepad";
};

TEST_F(LinkReportsTest, CrashGetsTheReportSummaryCodeLineAndJoinedText) {
    ErrorEntry& crash =
        AddEntry(CategoryApplicationError, u"Application Error: notepad.exe", u"1000", u"R1",
                 u"event text\r\n", u"The application encountered an error and stopped working.");
    crash.ExceptionCode = u"0xc0000005";
    ErrorEntry& wer = AddEntry(CategoryReportFile, u"Notepad", u"Stopped working", u"R1", report);
    EXPECT_EQ(Link(), 1);
    EXPECT_EQ(wer.Linked, 1);
    EXPECT_EQ(crash.ErrorSummary,
              u"Notepad has stopped working\r\nException Code returned was 0xc0000005 "
              u"(Memory Access Violation)");
    EXPECT_EQ(*crash.ErrorText,
              u"Details from the event log: \r\n----------------------------\r\nevent text\r\n"
              u"----------------------------\r\n\r\nDetails from WER file: \r\n"
              u"----------------------------\r\n" +
                  report + u"----------------------------\r\n");
}

TEST_F(LinkReportsTest, OtherCategoriesPutTheirSummaryAfterTheReportLine) {
    ErrorEntry& hang = AddEntry(CategoryApplicationHang, u"Application Hang: a.exe", u"1002", u"R2",
                                u"hang text", u"The program a.exe stopped interacting.");
    AddEntry(CategoryReportFile, u"A", u"Hang", u"R2", report);
    Link();
    EXPECT_EQ(hang.ErrorSummary,
              u"Notepad has stopped working\r\n\r\nThe program a.exe stopped interacting.");
}

TEST_F(LinkReportsTest, RunningTwiceChangesNothingMore) {
    ErrorEntry& crash =
        AddEntry(CategoryApplicationError, u"Application Error: b.exe", u"1000", u"R3", u"t");
    AddEntry(CategoryReportFile, u"B", u"Crash", u"R3", report);
    AddEntry(CategoryEventLog, u"Svc", u"7", u"", u"x");
    EXPECT_EQ(Link(), 2);
    const Text summary = crash.ErrorSummary;
    const Text text = *crash.ErrorText;
    EXPECT_EQ(Link(), 2);
    EXPECT_EQ(crash.ErrorSummary, summary);
    EXPECT_EQ(*crash.ErrorText, text);
}

TEST_F(LinkReportsTest, UnmatchedReportsStayAndPairsWithoutTextsAreStillHidden) {
    ErrorEntry& lonely = AddEntry(CategoryReportFile, u"C", u"Crash", u"nobody", report);
    ErrorEntry& silent = AddEntry(CategoryApplicationError, u"Application Error: d.exe", u"1000",
                                  u"R4", std::nullopt, u"keep me");
    ErrorEntry& wer = AddEntry(CategoryReportFile, u"D", u"Crash", u"R4", report);
    EXPECT_EQ(Link(), 2);
    EXPECT_EQ(lonely.Linked, 0);
    EXPECT_EQ(wer.Linked, 1);
    EXPECT_EQ(silent.ErrorSummary, u"keep me");
    EXPECT_FALSE(silent.ErrorText);
}

TEST_F(LinkReportsTest, ReportWithoutSummaryLineStillJoinsTheText) {
    ErrorEntry& crash = AddEntry(CategoryApplicationError, u"Application Error: e.exe", u"1000",
                                 u"R5", u"t", u"generic");
    AddEntry(CategoryReportFile, u"E", u"Crash", u"R5", u"AppName=E\r\nUI[3]=no line end");
    Link();
    EXPECT_EQ(crash.ErrorSummary, u"generic");
    EXPECT_NE(crash.ErrorText->find(u"Details from WER file"), Text::npos);
}

TEST(ReportValues, ValueUpToTheNextLineEnd) {
    EXPECT_EQ(ValueBeforeLineEnd(u"x\r\nUI[3]=Title\r\nmore", u"UI[3]="), u"Title");
    EXPECT_EQ(ValueBeforeLineEnd(u"EventType=APPCRASH", u"EventType="), u"");
    EXPECT_EQ(ValueBeforeLineEnd(u"nothing", u"UI[3]="), u"");
    EXPECT_EQ(ReportSummary(u"UI[3]=\r\n"), u"");
}

}  // namespace
}  // namespace veltrano
