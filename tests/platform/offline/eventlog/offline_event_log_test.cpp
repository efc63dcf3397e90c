// The event-log port over the log files of a Windows folder tree.
#include "platform/offline/eventlog/offline_event_log.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/offline/eventlog/classic_record.h"
#include "platform/offline/eventlog/event_log_fixtures.h"
#include "platform/offline/eventlog/log_file.h"
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

// A log as the service leaves it after wrapping: the chunk with the newest records in the middle
// of the file, a stale copy of records in the chunk after it, a damaged chunk and a last chunk
// cut short. Read as a stream on one thread or four, in any buffer size, it hands out what the
// whole file sorted by number gives, each record once, and counts the same facts.
TEST_F(OfflineEventLogTest, AWrappedLogStreamsAsTheWholeFileSortedGivesIt) {
    auto events = testing::NumberedEvents(1, 600);
    const auto stale = testing::NumberedEvents(441, 30);  // copies of records already written
    // Eight records a chunk: a file above the size that is read in one piece, so that the chunks
    // are read one by one.
    const auto file = evtxwriter::WriteEvtxLog(events, u"Application", {.recordsPerChunk = 8});
    const size_t chunks = (file.size() - 4096) / 65536;
    ASSERT_EQ(chunks, 75u);
    ASSERT_GT(file.size(), 4u << 20);
    // Rotate the ring: the chunks of records 441..600 go first, then 1..440.
    std::vector<uint8_t> wrapped = file;
    const auto chunkAt = [&](size_t i) { return wrapped.begin() + 4096 + static_cast<ptrdiff_t>(i * 65536); };
    std::rotate(chunkAt(0), chunkAt(55), chunkAt(chunks));
    const auto staleFile = evtxwriter::WriteEvtxLog(stale, u"Application");
    const size_t end = wrapped.size();
    wrapped.resize(end + 65536);
    std::copy_n(staleFile.begin() + 4096, 65536, wrapped.begin() + static_cast<ptrdiff_t>(end));
    std::fill_n(wrapped.begin() + 4096 + 3 * 65536 + 700, 64, 0xEE);  // inside a record
    wrapped.resize(wrapped.size() - 65536 / 2);                        // the stale chunk cut short
    drive.tree().Write(std::string(kLogs) + "Application.evtx", wrapped);

    eventlog::LogFileFacts whole;
    const auto expected =
        testing::Numbers(testing::Records(eventlog::ReadLogFile(wrapped, eventlog::LogFormat::Evtx, &whole)));
    ASSERT_GT(expected.size(), 550u);
    for (const int threads : {1, 4}) {
        for (const uint32_t size : {600u, 1u << 16}) {
            SCOPED_TRACE(std::to_string(threads) + " threads, buffer " + std::to_string(size));
            eventlog::LogFactsLedger ledger;
            {
                auto streaming =
                    MakeOfflineEventLogService(drive.files(), u"C:\\Windows", &ledger, threads);
                auto log = streaming->Open(u"Application");
                EXPECT_EQ(ReadAll(*log, size), expected);
            }
            ASSERT_EQ(ledger.Logs().size(), 1u);
            const auto& facts = ledger.Logs()[0];
            EXPECT_EQ(facts.records, whole.records);
            EXPECT_EQ(facts.damagedChunks, whole.damagedChunks);
            EXPECT_EQ(facts.damagedRecords, whole.damagedRecords);
            EXPECT_EQ(facts.truncated, whole.truncated);
            EXPECT_TRUE(facts.truncated);
            EXPECT_EQ(facts.lastNumber, 600u);
            EXPECT_EQ(facts.oldest, whole.oldest);
            EXPECT_EQ(facts.newest, whole.newest);
        }
    }
}

// A log closed before its last record has been read still gets its whole facts.
TEST_F(OfflineEventLogTest, ALogClosedEarlyIsCountedWhole) {
    PutEvtx(std::string(kLogs) + "Application.evtx", 1, 2000);
    eventlog::LogFactsLedger ledger;
    auto streaming = MakeOfflineEventLogService(drive.files(), u"C:\\Windows", &ledger, 2);
    {
        auto log = streaming->Open(u"Application");
        std::vector<uint8_t> buffer(4096);
        ASSERT_TRUE(log->ReadBackwards(buffer.data(), 4096).ok);
    }
    ASSERT_EQ(ledger.Logs().size(), 1u);
    EXPECT_EQ(ledger.Logs()[0].records, 2000u);
    EXPECT_EQ(ledger.Logs()[0].lastNumber, 2000u);
}

}  // namespace
}  // namespace veltrano
