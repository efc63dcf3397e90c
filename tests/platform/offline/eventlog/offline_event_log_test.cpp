// The event-log port over the log files of a Windows folder tree.
#include "platform/offline/eventlog/offline_event_log.h"

#include <gtest/gtest.h>

#include "platform/offline/eventlog/classic_record.h"
#include "platform/offline/eventlog/event_log_fixtures.h"
#include "support/test_drive.h"
#include "writers/evt/evt_log_writer.h"

namespace veltrano {
namespace {
using eventlog::Le32;

constexpr char kLogs[] = "Windows/System32/winevt/Logs/";

std::vector<uint8_t> ClassicLogOf(uint32_t recordNumber) {
    evtwriter::EvtEvent e;
    e.recordNumber = recordNumber;
    return evtwriter::WriteEvtLog({e});
}

class OfflineEventLogTest : public ::testing::Test {
  protected:
    void PutEvtx(const std::string& path, uint64_t first, uint64_t count) {
        drive.tree().Write(
            path, evtxwriter::WriteEvtxLog(testing::NumberedEvents(first, count), u"Application"));
    }
    std::unique_ptr<EventLog> Open(TextView log) {
        service = MakeOfflineEventLogService(drive.files(), u"C:\\Windows\\");
        return service->Open(log);
    }
    // The record numbers of every record the log hands out, read with the given buffer size.
    static std::vector<uint32_t> ReadAll(EventLog& log, uint32_t bufferSize) {
        std::vector<uint8_t> buffer(bufferSize);
        std::vector<uint32_t> numbers;
        for (;;) {
            EventLogRead r = log.ReadBackwards(buffer.data(), bufferSize);
            if (!r.ok && r.error == kErrorInsufficientBuffer) {
                EXPECT_GT(r.bytesNeeded, bufferSize);
                bufferSize = r.bytesNeeded;
                buffer.resize(bufferSize);
                r = log.ReadBackwards(buffer.data(), bufferSize);
            }
            if (!r.ok) {
                EXPECT_EQ(r.error, kErrorHandleEof);
                return numbers;
            }
            for (uint32_t at = 0; at < r.bytesRead;) {
                const uint32_t length = Le32(buffer.data() + at);
                EXPECT_GE(length, eventlog::kRecordFixedSize);
                EXPECT_LE(at + length, r.bytesRead) << "a record cut short";
                numbers.push_back(Le32(buffer.data() + at + eventlog::kRecordNumber));
                at += length;
            }
        }
    }

    testing::TestDrive drive;
    std::unique_ptr<EventLogService> service;
};

TEST_F(OfflineEventLogTest, FindsTheEvtxFileElseTheClassicFileInAnyLetterCase) {
    PutEvtx(std::string(kLogs) + "Application.evtx", 1, 3);
    drive.tree().Write("Windows/System32/CONFIG/appevent.evt", ClassicLogOf(9));
    drive.tree().Write("Windows/System32/CONFIG/SYSEVENT.EVT", ClassicLogOf(7));
    EXPECT_NE(FindEventLogFile(drive.files(), u"C:\\Windows", u"Application").find(u".evtx"),
              Text::npos);
    EXPECT_NE(FindEventLogFile(drive.files(), u"C:\\Windows", u"System").find(u"SysEvent.Evt"),
              Text::npos);
    EXPECT_EQ(FindEventLogFile(drive.files(), u"C:\\Windows", u"Setup"), u"");

    auto application = Open(u"Application");
    ASSERT_TRUE(application);
    EXPECT_EQ(ReadAll(*application, 65536), (std::vector<uint32_t>{3, 2, 1}));
    auto system = Open(u"System");
    ASSERT_TRUE(system);
    EXPECT_EQ(ReadAll(*system, 65536), (std::vector<uint32_t>{7}));
}

TEST_F(OfflineEventLogTest, AMissingOrUnreadableFileIsAnEmptyLog) {
    drive.tree().Write(std::string(kLogs) + "System.evtx", std::string("not a log at all"));
    for (const char16_t* name : {u"Application", u"System"}) {
        auto log = Open(name);
        ASSERT_TRUE(log);
        uint8_t buffer[64];
        const EventLogRead r = log->ReadBackwards(buffer, sizeof buffer);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error, kErrorHandleEof);
    }
}

TEST_F(OfflineEventLogTest, HandsOutWholeRecordsWithTheClassicBufferContract) {
    PutEvtx(std::string(kLogs) + "Application.evtx", 1, 300);
    auto log = Open(u"Application");
    ASSERT_TRUE(log);

    // Not even the newest record fits: 122 and the size it needs, and nothing is consumed.
    EventLogRead r = log->ReadBackwards(nullptr, 0);
    ASSERT_FALSE(r.ok);
    EXPECT_EQ(r.error, kErrorInsufficientBuffer);
    const uint32_t newest = r.bytesNeeded;
    std::vector<uint8_t> buffer(newest);
    r = log->ReadBackwards(buffer.data(), newest - 1);
    EXPECT_EQ(r.error, kErrorInsufficientBuffer);
    EXPECT_EQ(r.bytesNeeded, newest);
    r = log->ReadBackwards(buffer.data(), newest);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.bytesRead, newest);
    EXPECT_EQ(Le32(buffer.data()), newest);
    EXPECT_EQ(Le32(buffer.data() + eventlog::kRecordNumber), 300u);

    // The following reads continue with record 299, whole records only, in any buffer size.
    const auto rest = ReadAll(*log, 700);
    ASSERT_EQ(rest.size(), 299u);
    EXPECT_EQ(rest.front(), 299u);
    EXPECT_EQ(rest.back(), 1u);
    uint8_t small[8];
    EXPECT_EQ(log->ReadBackwards(small, sizeof small).error, kErrorHandleEof) << "stays at the end";

    // Every log opened anew starts at the newest record again, in any buffer size.
    for (const uint32_t size : {1u << 10, 1u << 14, 1u << 20}) {
        auto again = Open(u"Application");
        const auto all = ReadAll(*again, size);
        ASSERT_EQ(all.size(), 300u);
        EXPECT_EQ(all.front(), 300u);
    }
}

}  // namespace
}  // namespace veltrano
