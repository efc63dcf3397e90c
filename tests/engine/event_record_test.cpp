#include "engine/event_record.h"

#include <gtest/gtest.h>

#include "support/event_records.h"

namespace veltrano {
namespace {
using testing::BuildRecord;
using testing::RecordFields;

std::vector<EventRecordView> Walk(const std::vector<uint8_t>& buffer, uint32_t bytes) {
    std::vector<EventRecordView> seen;
    WalkEventRecords(buffer.data(), bytes, [&](const EventRecordView& r) { seen.push_back(r); });
    return seen;
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(EventRecordWalk, VisitsWholeRecordsAndStopsAtBadLengths) {
    RecordFields a, b;
    a.recordNumber = 7;
    b.recordNumber = 8;
    auto buffer = Concat({BuildRecord(a), BuildRecord(b)});
    auto seen = Walk(buffer, static_cast<uint32_t>(buffer.size()));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].RecordNumber(), 8u);

    // A record reaching past the bytes read ends the walk.
    EXPECT_EQ(Walk(buffer, static_cast<uint32_t>(buffer.size() - 1)).size(), 1u);

    // Length 0 would never move on; below the fixed part it would read outside the record.
    for (uint32_t bad : {0u, 4u, 55u}) {
        RecordFields broken;
        broken.lengthField = bad;
        auto withBroken = Concat({BuildRecord(a), BuildRecord(broken), BuildRecord(b)});
        EXPECT_EQ(Walk(withBroken, static_cast<uint32_t>(withBroken.size())).size(), 1u) << bad;
    }
    EXPECT_TRUE(Walk(buffer, 3).empty());
    EXPECT_TRUE(Walk(buffer, 0).empty());
}

TEST(EventRecordView, FieldsSourceAndStrings) {
    RecordFields fields;
    fields.recordNumber = 42;
    fields.timeGenerated = 1700000000;
    fields.eventId = 0xC0000405;
    fields.eventType = 2;
    fields.source = u"Disk";
    fields.strings = {u"one", u"", u"three"};
    const auto bytes = BuildRecord(fields);
    EventRecordView r(bytes.data(), static_cast<uint32_t>(bytes.size()));
    EXPECT_EQ(r.RecordNumber(), 42u);
    EXPECT_EQ(r.TimeGenerated(), 1700000000u);
    EXPECT_EQ(r.EventID(), 0xC0000405u);
    EXPECT_EQ(r.EventType(), 2);
    EXPECT_EQ(r.SourceName(), u"Disk");
    const auto strings = r.InsertionStrings();
    EXPECT_TRUE(strings.complete);
    EXPECT_EQ(strings.values, (std::vector<Text>{u"one", u"", u"three"}));
}

TEST(EventRecordView, ReadsStayInsideTheRecord) {
    RecordFields fields;
    fields.strings = {u"first", u"second"};
    auto bytes = BuildRecord(fields);
    const uint32_t stringOffset = bytes[36] | bytes[37] << 8;

    // Strings claimed beyond the ones present: collection stops at the first that would not end
    // inside the record (the trailing Length field holds no terminator pair here).
    RecordFields more = fields;
    more.numStrings = 5;
    auto moreBytes = BuildRecord(more);
    EventRecordView r(moreBytes.data(), static_cast<uint32_t>(moreBytes.size()));
    const auto strings = r.InsertionStrings();
    EXPECT_FALSE(strings.complete);
    EXPECT_GE(strings.values.size(), 2u);
    EXPECT_LT(strings.values.size(), 5u);

    // A string offset past the end gives an empty text and no strings.
    RecordFields far = fields;
    far.stringOffset = 100000;
    auto farBytes = BuildRecord(far);
    EventRecordView f(farBytes.data(), static_cast<uint32_t>(farBytes.size()));
    EXPECT_EQ(f.TextAt(f.StringOffset()), u"");
    EXPECT_FALSE(f.InsertionStrings().complete);

    // A text without terminator is cut at the record's end: view only the first bytes.
    EventRecordView cut(bytes.data(), stringOffset + 6);
    EXPECT_EQ(cut.TextAt(stringOffset), u"fir");
    // A source name without terminator inside the record.
    EventRecordView tiny(bytes.data(), kEventRecordFixedSize + 5);
    EXPECT_EQ(tiny.SourceName(), u"Ap");
}

}  // namespace
}  // namespace veltrano
