#include "engine/crash_strings.h"

#include <gtest/gtest.h>

#include "engine/event_processing.h"
#include "engine/link_reports.h"
#include "support/engine_machine.h"

namespace veltrano {
namespace {
using testing::CrashStrings;
using testing::EngineMachine;
using testing::HangStrings;

constexpr char16_t kReportId[] = u"56b7eab8-fa28-11ea-80bf-000c29e184e6";

// The strings of the crash of spoolsv.exe in the Application log of a real Server 2012 R2
// machine (15 strings: the Windows 8 layout).
const std::vector<Text> kServer2012Crash = {
    u"spoolsv.exe", u"6.3.9600.16384",   u"5215d570", u"unknown",  u"0.0.0.0",
    u"00000000",    u"c0000005",         u"0000006e4418ed80",       u"4ec",
    u"01d68e2367ca609d", u"C:\\Windows\\System32\\spoolsv.exe", u"unknown", kReportId, u"", u""};

TEST(CrashStringsTest, TheKnownLayoutsGiveTheirFactsAndOthersNone) {
    const CrashStringFacts crash = CrashFactsFromStrings(CrashSource::Crash, 1000, kServer2012Crash);
    EXPECT_EQ(crash.appPath, u"C:\\Windows\\System32\\spoolsv.exe");
    EXPECT_EQ(crash.exceptionCode, u"0xc0000005");
    EXPECT_EQ(crash.reportId, kReportId);
    EXPECT_EQ(crash.faultModule, u"unknown");
    EXPECT_EQ(crash.faultModuleVersion, u"0.0.0.0");
    EXPECT_EQ(crash.faultOffset, u"0x0000006e4418ed80");
    EXPECT_EQ(crash.processId, u"0x4ec");

    // The identifier with qualifier bits reads as its low half.
    EXPECT_EQ(CrashFactsFromStrings(CrashSource::Crash, 0x400003E8, kServer2012Crash).reportId,
              kReportId);
    // Fewer strings than Windows 7 writes, another event of the source, or the hang's source:
    // the positions are not known, nothing is taken.
    const std::vector<Text> vista(kServer2012Crash.begin(), kServer2012Crash.begin() + 12);
    for (const CrashStringFacts& none :
         {CrashFactsFromStrings(CrashSource::Crash, 1000, vista),
          CrashFactsFromStrings(CrashSource::Crash, 1005, kServer2012Crash),
          CrashFactsFromStrings(CrashSource::Hang, 1000, kServer2012Crash)}) {
        EXPECT_EQ(none.appPath + none.exceptionCode + none.reportId + none.faultModule, u"");
    }

    // A value of the wrong shape stays empty; the others are still taken.
    std::vector<Text> odd = kServer2012Crash;
    odd[6] = u"not-hex!";
    odd[10] = u"spoolsv.exe";
    odd[12] = u"56b7eab8";
    const CrashStringFacts shaped = CrashFactsFromStrings(CrashSource::Crash, 1000, odd);
    EXPECT_EQ(shaped.exceptionCode, u"");
    EXPECT_EQ(shaped.appPath, u"");
    EXPECT_EQ(shaped.reportId, u"");
    EXPECT_EQ(shaped.faultOffset, u"0x0000006e4418ed80");

    const CrashStringFacts hang = CrashFactsFromStrings(
        CrashSource::Hang, 1002, HangStrings(u"app.exe", u"C:\\App\\app.exe", kReportId));
    EXPECT_EQ(hang.appPath, u"C:\\App\\app.exe");
    EXPECT_EQ(hang.reportId, kReportId);
    EXPECT_EQ(hang.exceptionCode + hang.faultModule, u"");
}

class WithoutMessageFilesTest : public ::testing::Test {
  protected:
    using RecordFieldsList = std::vector<testing::RecordFields>;
    const ErrorEntry& Scan(EngineMachine& m, const RecordFieldsList& specs) {
        std::vector<uint8_t> buffer;
        for (const auto& fields : specs) {
            const auto bytes = testing::BuildRecord(fields);
            buffer.insert(buffer.end(), bytes.begin(), bytes.end());
        }
        std::optional<FileTime> oldest;
        ProcessEventRecords(buffer.data(), static_cast<uint32_t>(buffer.size()), u"Application",
                            m.catalogue, m.machine, oldest);
        return m.catalogue.entries.begin()->second;
    }
};

TEST_F(WithoutMessageFilesTest, ACrashSaysWhatItsMessageWouldAndIsJoinedToItsReport) {
    const auto strings =
        CrashStrings(u"lumen.exe", u"C:\\Program Files\\Lumen\\lumen.exe", u"c0000409", kReportId);
    EngineMachine withTexts;
    const ErrorEntry& told = Scan(withTexts, {withTexts.Record(60, u"Application Error", 1000,
                                                               strings)});
    EngineMachine bare;
    bare.machine.registry = nullptr;  // a drive without its registry
    const ErrorEntry& own = Scan(bare, {bare.Record(60, u"Application Error", 1000, strings)});

    ASSERT_TRUE(told.ErrorText);
    EXPECT_FALSE(own.ErrorText);
    for (const ErrorEntry* e : {&told, &own}) {
        EXPECT_EQ(e->AppPath, u"C:\\Program Files\\Lumen\\lumen.exe");
        EXPECT_EQ(e->ReportId, kReportId);
        EXPECT_EQ(e->ExceptionCode, u"0xc0000409");
        EXPECT_EQ(e->FaultModule, u"ntdll.dll");
        EXPECT_EQ(e->FaultModuleVersion, u"10.0.19041.1");
        EXPECT_EQ(e->FaultOffset, u"0x000000000004f3a2");
        EXPECT_EQ(e->InsertionStrings, strings);
        ASSERT_TRUE(e->Origin);
        EXPECT_EQ(e->Origin->source, u"Application Error");
        EXPECT_EQ(e->Origin->eventId, 1000u);
    }
    EXPECT_EQ(own.ErrorSummary, told.ErrorSummary);

    // Its report file finds it by the identifier from the strings.
    ErrorOccurrence report;
    report.SetAppName(u"Lumen");
    report.SetErrorName(u"Stopped working");
    report.SetReportId(kReportId);
    ErrorEntry file = bare.catalogue.CreateEntry(report, bare.clock.UtcNow());
    file.Category = CategoryReportFile;
    file.ErrorText = u"Version=1\r\nUI[3]=Lumen has stopped working\r\n";
    bare.catalogue.Add(std::move(file));
    EXPECT_EQ(LinkReports(bare.catalogue, nullptr), 1);
    EXPECT_EQ(bare.catalogue.Find(u"Lumen_Stopped working")->Linked, 1);
}

TEST_F(WithoutMessageFilesTest, EveryEventKeepsItsStrings) {
    EngineMachine m;
    m.machine.registry = nullptr;
    const ErrorEntry& e =
        Scan(m, {m.Record(60, u"Service Control Manager", 7023, {u"Spooler", u"%%1053"})});
    EXPECT_FALSE(e.ErrorText);
    EXPECT_EQ(e.InsertionStrings, (std::vector<Text>{u"Spooler", u"%%1053"}));
    EXPECT_EQ(e.ErrorTextParams, u"");  // the message texts' own joined form needs a message
}

}  // namespace
}  // namespace veltrano
