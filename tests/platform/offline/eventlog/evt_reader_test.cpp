// The classic .evt reader on files written by our own writer: wrapped rings, stale headers,
// damage.
#include <gtest/gtest.h>

#include <map>

#include "platform/offline/eventlog/classic_log.h"
#include "platform/offline/eventlog/event_log_fixtures.h"
#include "platform/offline/eventlog/evt_file.h"
#include "writers/evt/evt_log_writer.h"

namespace veltrano::eventlog {
namespace {
using evtwriter::EvtEvent;
using evtwriter::EvtFileOptions;

std::vector<EvtEvent> Events(uint32_t first, uint32_t count) {
    std::vector<EvtEvent> events;
    for (uint32_t n = first; n < first + count; ++n) {
        EvtEvent e;
        e.recordNumber = n;
        e.timeGenerated = 1'100'000'000 + n * 60;
        e.timeWritten = e.timeGenerated + 1;
        e.eventId = 0xC0000000u | (7000 + n % 30);
        e.eventType = static_cast<uint16_t>(n % 3 == 0 ? 1 : 4);
        e.category = static_cast<uint16_t>(n % 4);
        e.source = u"Service Control Manager";
        e.computer = u"XP-BOX";
        for (uint32_t k = 0; k < n % 4; ++k)
            e.strings.push_back(u"s" + DecimalText(n * 10 + k));
        if (n % 5 == 0)
            e.data = {1, 2, 3, 4, 5};
        events.push_back(e);
    }
    return events;
}

std::map<uint32_t, ClassicRecordView> ReadAll(const std::vector<uint8_t>& file) {
    std::map<uint32_t, ClassicRecordView> read;
    ForEachEvtRecord(file, [&](const ClassicRecordView& v) {
        EXPECT_FALSE(read.count(v.recordNumber)) << v.recordNumber;
        ClassicRecordView copy = v;
        copy.userSid = {};
        copy.data = {};  // the views die with the call
        read.emplace(v.recordNumber, std::move(copy));
    });
    return read;
}

void ExpectSame(const ClassicRecordView& r, const EvtEvent& e) {
    SCOPED_TRACE(e.recordNumber);
    EXPECT_EQ(r.timeGenerated, e.timeGenerated);
    EXPECT_EQ(r.timeWritten, e.timeWritten);
    EXPECT_EQ(r.eventId, e.eventId);
    EXPECT_EQ(r.eventType, e.eventType);
    EXPECT_EQ(r.category, e.category);
    EXPECT_EQ(r.sourceName, e.source);
    EXPECT_EQ(r.computerName, e.computer);
    EXPECT_EQ(r.strings, e.strings);
}

TEST(EvtReaderTest, ReadsAWrappedLogWhereverTheRingStarts) {
    const auto events = Events(501, 60);
    // Starting positions near the end of the file: the ring wraps with a record split across
    // the end, or with the end filled up and the record starting after the header.
    for (uint32_t start = 0x1E00; start < 0x2000; start += 4) {
        SCOPED_TRACE(start);
        const auto file = evtwriter::WriteEvtLog(events, EvtFileOptions{0x2000 + 0x1000, start});
        ASSERT_NE(Le32At(file, 36) & 2, 0u) << "the log did not wrap";
        const auto read = ReadAll(file);
        ASSERT_EQ(read.size(), events.size());
        for (const auto& e : events)
            ExpectSame(read.at(e.recordNumber), e);

        const auto log = ReadLogFile(file, LogFormat::Evt);
        const auto numbers = testing::Numbers(testing::Records(log));
        ASSERT_EQ(numbers.size(), events.size());
        EXPECT_EQ(numbers.front(), 560u);
        EXPECT_TRUE(std::is_sorted(numbers.rbegin(), numbers.rend()));
    }
}

TEST(EvtReaderTest, KeepsTheDataOfARecord) {
    const auto file = evtwriter::WriteEvtLog(Events(5, 1));
    const auto log = ReadLogFile(file, LogFormat::Evt);
    const auto records = testing::Records(log);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(std::vector<uint8_t>(records[0].data.begin(), records[0].data.end()),
              (std::vector<uint8_t>{1, 2, 3, 4, 5}));
}

TEST(EvtReaderTest, DoesNotTrustTheHeaderOffsets) {
    auto file = evtwriter::WriteEvtLog(Events(1, 40), EvtFileOptions{0x4000, 0x3F00, true});
    for (size_t at = 16; at < 32; ++at)
        file[at] = 0xEE;  // start, end, next and oldest numbers
    EXPECT_EQ(ReadAll(file).size(), 40u);
}

TEST(EvtReaderTest, SkipsDamagedRecordsAndSurvivesAnyCut) {
    const auto events = Events(1, 40);
    const auto file = evtwriter::WriteEvtLog(events, EvtFileOptions{0x4000, 0x3000});
    // Damage record 17 at its length copy: find it through its own fields.
    size_t at = 0;
    for (size_t p = 48; p + 12 <= file.size(); p += 4) {
        if (Le32At(file, p + 4) == kRecordSignatureValue && Le32At(file, p + 8) == 17)
            at = p;
    }
    ASSERT_NE(at, 0u);
    auto damaged = file;
    const uint32_t length = Le32At(file, at);
    damaged[(at + length - 4 - 48) % (file.size() - 48) + 48] ^= 0xFF;
    auto read = ReadAll(damaged);
    EXPECT_FALSE(read.count(17));
    EXPECT_EQ(read.size(), events.size() - 1);

    for (size_t cut = 0; cut <= file.size(); cut += 97) {
        const std::vector<uint8_t> part(file.begin(), file.begin() + static_cast<ptrdiff_t>(cut));
        for (const auto& [number, r] : ReadAll(part)) {
            ASSERT_GE(number, 1u);
            ASSERT_LE(number, 40u);
            ExpectSame(r, events[number - 1]);
        }
    }
    for (size_t p = 0; p < file.size(); p += 61) {
        auto flipped = file;
        flipped[p] ^= 0xA5;
        ReadLogFile(flipped, LogFormat::Evt);  // no crash, no hang
    }
}

}  // namespace
}  // namespace veltrano::eventlog
