#include "engine/event_processing.h"

#include <gtest/gtest.h>

#include "support/engine_machine.h"

namespace veltrano {
namespace {
using testing::BuildRecord;
using testing::CrashStrings;
using testing::EngineMachine;
using testing::HangStrings;

class EventProcessingTest : public ::testing::Test {
  protected:
    void Process(std::initializer_list<testing::RecordFields> specs,
                 const Text& log = u"Application") {
        std::vector<uint8_t> buffer;
        for (const auto& fields : specs) {
            const auto bytes = BuildRecord(fields);
            buffer.insert(buffer.end(), bytes.begin(), bytes.end());
        }
        ProcessEventRecords(buffer.data(), static_cast<uint32_t>(buffer.size()), log, m.catalogue,
                            m.machine, oldest);
    }
    const ErrorEntry& Only() {
        EXPECT_EQ(m.catalogue.entries.size(), 1u);
        return m.catalogue.entries.begin()->second;
    }

    EngineMachine m;
    std::optional<FileTime> oldest;
};

TEST_F(EventProcessingTest, CrashOfNotepadIsNamedParsedAndIndexed) {
    m.messages.nativeApi[0xC0000005] = u"The instruction referenced invalid memory.\r\n";
    Process({m.Record(3600, u"Application Error", 1000,
                      CrashStrings(u"notepad.exe", u"C:\\Windows\\System32\\notepad.exe",
                                   u"c0000005", u"rid-1"))});
    const ErrorEntry& e = *m.catalogue.Find(u"Application Error: notepad.exe_1000");
    EXPECT_EQ(e.Category, CategoryApplicationError);
    EXPECT_EQ(e.AppName, u"Application Error: notepad.exe");
    EXPECT_EQ(e.ErrorName, u"1000");
    EXPECT_EQ(e.AppPath, u"C:\\Windows\\System32\\notepad.exe");
    EXPECT_EQ(e.ReportId, u"rid-1");
    EXPECT_EQ(e.ExceptionCode, u"0xc0000005");
    EXPECT_EQ(e.ErrorSummary,
              u"The application encountered an error and stopped working.\r\n"
              u"Exception Code returned was 0xc0000005 (Memory Access Violation)");
    EXPECT_EQ(m.catalogue.EventReportIndex.at(u"rid-1"), u"Application Error: notepad.exe_1000");
    ASSERT_TRUE(e.ErrorText);
    EXPECT_NE(e.ErrorText->find(u"Report Id: rid-1"), Text::npos);
    EXPECT_EQ(e.MessageTemplate, testing::kCrashMessage);
    EXPECT_EQ(oldest, m.clock.UtcNow() - 3600 * kTicksPerSecond);
}

TEST_F(EventProcessingTest, HangSummaryIsTheFirstLineAndPathTheFifth) {
    Process({m.Record(60, u"Application Hang", 1002,
                      HangStrings(u"app.exe", u"C:\\Program Files\\App\\app.exe", u"rid-h"))});
    const ErrorEntry& e = Only();
    EXPECT_EQ(e.Category, CategoryApplicationHang);
    EXPECT_EQ(e.AppName, u"Application Hang: app.exe");
    EXPECT_EQ(e.AppPath, u"C:\\Program Files\\App\\app.exe");
    EXPECT_EQ(e.ReportId, u"rid-h");
    EXPECT_EQ(
        e.ErrorSummary,
        u"The program app.exe version 2.1.0.0 stopped interacting with Windows and was closed.");
    EXPECT_EQ(e.ExceptionCode, u"");
}

TEST_F(EventProcessingTest, QualifierBitsAreNotPartOfTheErrorName) {
    m.RegisterSource(u"System", u"Disk", u"C:\\disk.dll", {{0xC0040007, u"Bad block on %1."}});
    Process({m.Record(10, u"Disk", 0xC0040007, {u"\\Device\\Harddisk0"})}, u"System");
    const ErrorEntry& e = Only();
    EXPECT_EQ(e.ErrorName, u"7");
    EXPECT_EQ(e.Category, CategoryEventLog);
    EXPECT_EQ(e.ErrorSummary, u"Bad block on \\Device\\Harddisk0.");
    EXPECT_EQ(e.ErrorTextParams, u"\\Device\\Harddisk0");
    // A record whose low half is 1026 reads 1026 whatever the upper half says.
    Process({m.Record(10, u"Other", 0x80000402)}, u"System");
    EXPECT_NE(m.catalogue.Find(u"Other_1026"), nullptr);
}

TEST_F(EventProcessingTest, LongerSourceNamesKeepTheirCategoryButFollowTheCrashRules) {
    m.RegisterSource(u"Application", u"Application Error Reporter", u"C:\\r.dll",
                     {{1000, testing::kCrashMessage}});
    Process({m.Record(10, u"Application Error Reporter", 1000,
                      CrashStrings(u"x.exe", u"C:\\x.exe", u"c0000409", u"rid-x"))});
    const ErrorEntry& e = Only();
    EXPECT_EQ(e.AppName, u"Application Error Reporter");
    EXPECT_EQ(e.Category, CategoryEventLog);
    EXPECT_EQ(e.ReportId, u"rid-x");
    EXPECT_EQ(e.AppPath, u"C:\\x.exe");
    EXPECT_EQ(e.ExceptionCode, u"0xc0000409");
    EXPECT_TRUE(StartsWith(e.ErrorSummary, u"The application encountered an error"));
}

TEST_F(EventProcessingTest, EightLineCrashMessageYieldsOnlyTheLabelledPath) {
    m.RegisterSource(u"Application", u"Application Error", u"C:\\eight.dll",
                     {{1000,
                       u"Faulting application name: %1%nException code: 0x%2%nA: 1%nB: 2%n"
                       u"C: 3%nFaulting application path: %3%nD: 4%nE: 5"}});
    Process({m.Record(10, u"Application Error", 1000, {u"y.exe", u"c0000005", u"C:\\y.exe"})});
    const ErrorEntry& e = Only();
    EXPECT_EQ(e.AppPath, u"C:\\y.exe");
    EXPECT_EQ(e.ReportId, u"");
    EXPECT_EQ(e.ExceptionCode, u"");
    EXPECT_EQ(e.ErrorSummary, u"The application encountered an error and stopped working.");
}

TEST_F(EventProcessingTest, LongProgramNamesAreCut) {
    Process({m.Record(10, u"Application Error", 1000, {Text(200, u'a')}),
             m.Record(20, u"Application Hang", 1002, {Text(200, u'h')})});
    EXPECT_NE(m.catalogue.Find(u"Application Error: " + Text(108, u'a') + u"_1000"), nullptr);
    EXPECT_NE(m.catalogue.Find(u"Application Hang: " + Text(109, u'h') + u"_1002"), nullptr);
}

TEST_F(EventProcessingTest, InformationAndWarningRecordsAreSkipped) {
    Process({m.Record(10, u"Svc", 1, {}, 4), m.Record(20, u"Svc", 2, {}, 2)});
    EXPECT_TRUE(m.catalogue.entries.empty());
    EXPECT_FALSE(oldest);
    Process({m.Record(30, u"Svc", 3), m.Record(40, u"Svc", 4, {}, 4)});
    EXPECT_EQ(oldest, m.clock.UtcNow() - 30 * kTicksPerSecond);
}

TEST_F(EventProcessingTest, RepeatsMergeWithoutResolvingAgain) {
    m.RegisterSource(u"System", u"Svc", u"C:\\svc.dll", {{7, u"Service %1 stopped."}});
    Process({m.Record(10, u"Svc", 7, {u"A"}), m.Record(20, u"Svc", 7, {u"B"}),
             m.Record(30, u"Svc", 7, {u"C"})},
            u"System");
    const ErrorEntry& e = Only();
    EXPECT_EQ(e.ErrorCount, 3);
    EXPECT_EQ(e.ErrorSummary, u"Service A stopped.");  // the newest record created the entry
    EXPECT_EQ(m.messages.loads, 1);
}

TEST_F(EventProcessingTest, EventQueryIsTheFallbackForTexts) {
    auto fields = m.Record(10, u"NoFile", 5);
    m.query.texts[{u"System", fields.recordNumber}] = u"Text from the event query.\r\nMore.";
    Process({fields}, u"System");
    const ErrorEntry& e = Only();
    EXPECT_EQ(e.ErrorText, u"Text from the event query.\r\nMore.");
    EXPECT_FALSE(e.MessageTemplate);
    EXPECT_EQ(e.ErrorSummary, u"Text from the event query.");
    // Without any text: an empty summary (a crash source would still get its sentence).
    Process({m.Record(10, u"Silent", 5)}, u"System");
    EXPECT_EQ(m.catalogue.Find(u"Silent_5")->ErrorSummary, u"");
    EXPECT_FALSE(m.catalogue.Find(u"Silent_5")->ErrorText);
}

TEST_F(EventProcessingTest, RecordWithoutStringsReadsNothingOutsideIt) {
    auto fields = m.Record(10, u"Application Error", 1000);
    fields.stringOffset = 0xFFFFFF00;
    Process({fields});
    EXPECT_NE(m.catalogue.Find(u"Application Error_1000"), nullptr);
}

TEST(MessageLines, CountsNonEmptyLinesAndReadsValues) {
    const MessageLines lines = ReadMessageLines(u"a: 1\r\n\r\nb: 2\nc\r\n  \r\nd: 4");
    ASSERT_EQ(lines.lines.size(), 3u);
    EXPECT_EQ(lines.ValueAt(3, 2), u"2");
    EXPECT_EQ(lines.ValueAt(3, 3), u"");
    EXPECT_EQ(lines.ValueAt(4, 1), u"");
}

}  // namespace
}  // namespace veltrano
