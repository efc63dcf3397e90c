#include "platform/offline/eventlog/classic_record.h"

#include <gtest/gtest.h>

#include "base/byte_store.h"

namespace veltrano::eventlog {
namespace {

const std::vector<uint8_t> kSid = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};  // S-1-5-18
const std::vector<uint8_t> kData = {0xDE, 0xAD, 0xBE};

std::vector<uint8_t> SampleRecord(const Text& strings, uint16_t count) {
    ClassicEvent e;
    e.recordNumber = 77;
    e.timeGenerated = 1'700'000'000;
    e.timeWritten = 1'700'000'005;
    e.eventId = 0x40000000u | 1000;
    e.eventType = kEventTypeWarning;
    e.category = 3;
    e.sourceName = u"Application Error";
    e.computerName = u"PC";
    e.strings = strings;
    e.numStrings = count;
    e.userSid = kSid;
    e.data = kData;
    std::vector<uint8_t> out;
    AppendClassicRecord(out, e);
    return out;
}

TEST(ClassicRecordTest, LaysOutTheFieldsWhereTheEventLogServicePutsThem) {
    const Text strings = JoinInsertionStrings({u"first", u"", u"third"});
    const auto r = SampleRecord(strings, 3);
    const uint8_t* p = r.data();
    ASSERT_EQ(r.size() % 4, 0u);
    EXPECT_EQ(Le32(p + kRecordLength), r.size());
    EXPECT_EQ(Le32(p + r.size() - 4), r.size());
    EXPECT_EQ(Le32(p + kRecordSignature), 0x654C664Cu);
    EXPECT_EQ(Le32(p + kRecordNumber), 77u);
    EXPECT_EQ(Le32(p + kRecordTimeGenerated), 1'700'000'000u);
    EXPECT_EQ(Le32(p + kRecordTimeWritten), 1'700'000'005u);
    EXPECT_EQ(Le32(p + kRecordEventId), 0x400003E8u);
    EXPECT_EQ(Le16(p + kRecordEventType), kEventTypeWarning);
    EXPECT_EQ(Le16(p + kRecordNumStrings), 3);
    EXPECT_EQ(Le16(p + kRecordEventCategory), 3);
    // SourceName and the computer name, zero-terminated, from offset 56.
    Text names;
    for (size_t at = kRecordFixedSize; at < kRecordFixedSize + 2 * 21; at += 2) {
        names.push_back(Le16(p + at));
    }
    EXPECT_EQ(names, Text(u"Application Error\0PC\0", 21));
    EXPECT_EQ(Le32(p + kRecordUserSidOffset) % 4, 0u);
    EXPECT_EQ(Le32(p + kRecordUserSidLength), kSid.size());
    // The strings start at StringOffset, one after another.
    const uint32_t stringOffset = Le32(p + kRecordStringOffset);
    EXPECT_EQ(Le16(p + stringOffset), u'f');
    EXPECT_EQ(stringOffset + 2 * strings.size(), Le32(p + kRecordDataOffset));
    EXPECT_EQ(Le32(p + kRecordDataLength), kData.size());
}

TEST(ClassicRecordTest, ReadsBackWhatWasBuilt) {
    const auto r = SampleRecord(JoinInsertionStrings({u"first", u"", u"third"}), 3);
    const auto view = ReadClassicRecord(r);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->recordNumber, 77u);
    EXPECT_EQ(view->eventId, 0x400003E8u);
    EXPECT_EQ(view->eventType, kEventTypeWarning);
    EXPECT_EQ(view->sourceName, u"Application Error");
    EXPECT_EQ(view->computerName, u"PC");
    EXPECT_EQ(view->strings, (std::vector<Text>{u"first", u"", u"third"}));
    EXPECT_EQ(std::vector<uint8_t>(view->userSid.begin(), view->userSid.end()), kSid);
    EXPECT_EQ(std::vector<uint8_t>(view->data.begin(), view->data.end()), kData);
}

TEST(ClassicRecordTest, RefusesBrokenFramingAndKeepsOffsetsInsideTheRecord) {
    const auto good = SampleRecord(JoinInsertionStrings({u"a", u"b"}), 2);
    auto broken = good;
    StoreLe32(broken, broken.size() - 4, 0);
    EXPECT_FALSE(ReadClassicRecord(broken)) << "length copy";
    broken = good;
    broken[kRecordSignature] = 'X';
    EXPECT_FALSE(ReadClassicRecord(broken)) << "signature";
    EXPECT_FALSE(ReadClassicRecord(std::span(good).first(good.size() - 4))) << "cut short";
    EXPECT_FALSE(ReadClassicRecord(std::span(good).first(40))) << "shorter than the fixed part";

    // Names running into the end of the record.
    ClassicEvent e;
    std::vector<uint8_t> unterminated;
    const Text longName(40, u'x');
    e.sourceName = longName;
    AppendClassicRecord(unterminated, e);
    for (size_t at = kRecordFixedSize; at + 4 < unterminated.size(); ++at)
        unterminated[at] = 'x';
    EXPECT_FALSE(ReadClassicRecord(unterminated));

    auto wild = good;
    StoreLe32(wild, kRecordStringOffset, 0xFFFFFFF0u);
    StoreLe32(wild, kRecordUserSidOffset, static_cast<uint32_t>(wild.size() - 8));
    StoreLe32(wild, kRecordDataOffset, 8);  // inside the fixed part
    const auto view = ReadClassicRecord(wild);
    ASSERT_TRUE(view);
    EXPECT_TRUE(view->strings.empty());
    EXPECT_TRUE(view->userSid.empty());
    EXPECT_TRUE(view->data.empty());

    auto overstated = good;
    overstated[kRecordNumStrings] = 9;  // only two are there
    const auto clipped = ReadClassicRecord(overstated);
    ASSERT_TRUE(clipped);
    EXPECT_EQ(clipped->strings.size(), 2u);
}

}  // namespace
}  // namespace veltrano::eventlog
