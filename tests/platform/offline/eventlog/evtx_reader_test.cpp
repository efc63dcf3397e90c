// The .evtx reader on files written by our own writer: the classic fields of every event, the
// order of the records, and the XML rules that decide the insertion strings.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/offline/eventlog/event_log_fixtures.h"
#include "writers/evtx/evtx_file_writer.h"

namespace veltrano::eventlog {
namespace {
using evtxwriter::EvtxEvent;
using evtxwriter::EvtxRecordFields;
using evtxwriter::EvtxTemplate;
using evtxwriter::EvtxValue;
using testing::NumberedEvent;
using testing::NumberedEvents;

TEST(EvtxReaderTest, GivesEachEventItsClassicFields) {
    std::vector<EvtxEvent> events = NumberedEvents(1, 12);
    const auto log = ReadLogFile(evtxwriter::WriteEvtxLog(events, u"Application"), LogFormat::Evtx);
    const auto records = testing::Records(log);
    ASSERT_EQ(records.size(), events.size());
    for (const auto& r : records) {
        SCOPED_TRACE(r.recordNumber);
        const EvtxEvent& e = events[r.recordNumber - 1];
        EXPECT_EQ(r.timeGenerated, FileTimeToUnixSeconds(e.time));
        EXPECT_EQ(r.timeWritten, FileTimeToUnixSeconds(e.time));
        EXPECT_EQ(r.eventId, uint32_t{e.qualifiers.value_or(0)} << 16 | e.eventId);
        const uint16_t type = e.level == 1 || e.level == 2 ? 1 : e.level == 3 ? 2 : 4;
        EXPECT_EQ(r.eventType, type) << "level " << int{e.level};
        EXPECT_EQ(r.category, e.task);
        EXPECT_EQ(r.sourceName, e.eventSourceName.value_or(e.provider));
        EXPECT_EQ(r.computerName, e.computer);
        EXPECT_EQ(r.strings, e.data);
        EXPECT_TRUE(r.userSid.empty());
        EXPECT_TRUE(r.data.empty());
    }
}

TEST(EvtxReaderTest, HandsOutRecordsNewestFirstWhateverTheirPlaceInTheFile) {
    // A log that wrapped: the chunk with the newest records comes first in the file.
    std::vector<EvtxEvent> events = NumberedEvents(301, 100);
    const auto older = NumberedEvents(101, 200);
    events.insert(events.end(), older.begin(), older.end());
    events.push_back(NumberedEvent(150));  // a stale second copy of record 150
    const auto file = evtxwriter::WriteEvtxLog(events, u"System", {.recordsPerChunk = 40});
    ASSERT_GT(file.size(), 4096u + 7 * 65536u);
    const auto numbers = testing::Numbers(testing::Records(ReadLogFile(file, LogFormat::Evtx)));
    ASSERT_EQ(numbers.size(), 300u);
    EXPECT_TRUE(std::is_sorted(numbers.rbegin(), numbers.rend()));
    EXPECT_EQ(numbers.front(), 400u);
    EXPECT_EQ(numbers.back(), 101u);
}

// A record of one template with the values given.
std::vector<uint8_t> OneRecordFile(std::shared_ptr<EvtxTemplate> t, std::vector<EvtxValue> values) {
    return evtxwriter::WriteEvtxFile({EvtxRecordFields{1, 133'000'000'000'000'000ull, t, values}});
}

// <Event><System><Provider Name="P"/></System>...
std::shared_ptr<EvtxTemplate> EventWith(const std::function<void(EvtxTemplate&)>& body) {
    auto t = std::make_shared<EvtxTemplate>();
    t->Open(u"Event").Open(u"System").Open(u"Provider").Attribute(u"Name", u"P").Close().Close();
    body(*t);
    t->Close();
    return t;
}

std::vector<Text> StringsOf(const std::vector<uint8_t>& file) {
    const auto events = testing::ReadEvents(file);
    EXPECT_EQ(events.size(), 1u);
    return events.empty() ? std::vector<Text>{} : events[0].StringList();
}

TEST(EvtxReaderTest, DataElementsFollowTheXmlRenderingRules) {
    auto t = EventWith([](EvtxTemplate& t) {
        t.Open(u"EventData");
        t.Open(u"Data").Attribute(u"Name", u"list").Substitute(0, 0x81).Close();
        t.Open(u"Data").Substitute(1, 0x01, true).Close();  // optional, no value: left out
        t.Open(u"Data").Substitute(2, 0x01).Close();        // normal, no value: empty
        t.Open(u"Data").Substitute(3, 0x81, true).Close();  // an empty array: left out
        t.Open(u"Data").Literal(u"fixed ").Substitute(4, 0x08).Close();
        t.Open(u"Data").Substitute(5, 0x0F).Close();
        t.Open(u"Data").Substitute(6, 0x13).Close();
        t.Open(u"Data").Substitute(7, 0x15).Close();
        t.Open(u"Data").Substitute(8, 0x11).Close();
        t.Open(u"Data").Substitute(9, 0x0D).Close();
        t.Open(u"Binary").Substitute(10, 0x0E).Close();
        t.Open(u"Other").Literal(u"not a string").Close();
        t.Close();
    });
    const uint8_t guid[16] = {1, 0, 0, 0, 2, 0, 3, 0, 4, 5, 6, 7, 8, 9, 10, 11};
    const auto file =
        OneRecordFile(t, {EvtxValue::StringArray({u"10.00.", u"", u"Multiprocessor Free"}),
                          EvtxValue::Null(), EvtxValue::Null(), EvtxValue::StringArray({}),
                          EvtxValue::UInt32(42), EvtxValue::Guid(guid),
                          EvtxValue::Sid(u"S-1-5-21-1-2-3-500"), EvtxValue::HexInt64(0x3e7),
                          EvtxValue::FileTimeValue(*CalendarToFileTime({2024, 5, 6, 7, 8, 9, 0})),
                          EvtxValue::Bool(true), EvtxValue::Binary({0xD9, 0x06, 0, 0})});
    EXPECT_EQ(StringsOf(file),
              (std::vector<Text>{u"10.00.", u"", u"Multiprocessor Free", u"", u"fixed 42",
                                 u"{00000001-0002-0003-0405-060708090A0B}", u"S-1-5-21-1-2-3-500",
                                 u"0x3e7", u"2024-05-06T07:08:09.0000000Z", u"true"}));
    const auto events = testing::ReadEvents(file);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].data, (std::vector<uint8_t>{0xD9, 0x06, 0, 0}));
}

TEST(EvtxReaderTest, UserDataStringsFollowTheSubstitutionOrder) {
    // As Windows writes it: UserData filled by a binary XML value with a template of its own,
    // whose slots are numbered in the order of the message's %1, %2 ...
    auto inner = std::make_shared<EvtxTemplate>();
    inner->Open(u"DeviceInstall").Attribute(u"version", 1, 0x01);
    inner->Open(u"DeviceId").Substitute(0, 0x01).Close();
    inner->Open(u"Flags").Substitute(2, 0x14).Close();
    inner->Close();
    auto outer =
        EventWith([](EvtxTemplate& t) { t.Open(u"UserData").Substitute(0, 0x21).Close(); });
    const auto file = OneRecordFile(
        outer, {EvtxValue::BinXml(inner, {EvtxValue::String(u"SWD\\1"), EvtxValue::String(u"2.21"),
                                          EvtxValue::HexInt32(8)})});
    EXPECT_EQ(StringsOf(file), (std::vector<Text>{u"SWD\\1", u"2.21", u"0x8"}));
}

TEST(EvtxReaderTest, UserDataWithoutSubstitutionsGivesItsLeafTexts) {
    auto t = EventWith([](EvtxTemplate& t) {
        t.Open(u"UserData").Open(u"LogFileCleared").Attribute(u"xmlns", u"urn:x");
        t.Open(u"SubjectUserName").Literal(u"alice").Close();
        t.Open(u"Group").Open(u"Inner").Literal(u"deep").Close().Close();
        t.Open(u"Empty").Close();
        t.Close().Close();
    });
    EXPECT_EQ(StringsOf(OneRecordFile(t, {})), (std::vector<Text>{u"alice", u"deep", u""}));
    auto bare = EventWith(
        [](EvtxTemplate& t) { t.Open(u"UserData").Open(u"ServiceShutdown").Close().Close(); });
    EXPECT_TRUE(StringsOf(OneRecordFile(bare, {})).empty());
}

TEST(EvtxReaderTest, SystemFieldsMayComeAsTextAndTheUserSidIsKept) {
    auto t = std::make_shared<EvtxTemplate>();
    t->Open(u"Event").Open(u"System");
    t->Open(u"Provider").Attribute(u"Name", u"Literal Provider").Close();
    t->Open(u"EventID").Attribute(u"Qualifiers", u"16384").Literal(u"7036").Close();
    t->Open(u"Level").Literal(u"2").Close();
    t->Open(u"TimeCreated").Attribute(u"SystemTime", u"2021-11-19T16:52:33.8337335Z").Close();
    t->Open(u"Computer").Literal(u"HOST").Close();
    t->Open(u"Security").Attribute(u"UserID", 0, 0x13).Close();
    t->Close().Close();
    const auto events = testing::ReadEvents(OneRecordFile(t, {EvtxValue::Sid(u"S-1-5-18")}));
    ASSERT_EQ(events.size(), 1u);
    const auto& e = events[0];
    EXPECT_EQ(e.ClassicSource(), u"Literal Provider");
    EXPECT_EQ(e.eventId, 7036);
    EXPECT_EQ(e.qualifiers, 0x4000);
    EXPECT_EQ(e.level, 2);
    EXPECT_EQ(e.created, *CalendarToFileTime({2021, 11, 19, 16, 52, 33, 0}) + 8'337'335);
    EXPECT_EQ(e.computer, u"HOST");
    EXPECT_EQ(e.userSid, (std::vector<uint8_t>{1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}));
    const ClassicEvent c = ToClassicEvent(e);
    EXPECT_EQ(c.eventId, 0x40001B7Cu);
    EXPECT_EQ(c.eventType, kEventTypeError);
}

TEST(EvtxReaderTest, TimesOutsideTheClassicRangeAreClamped) {
    EXPECT_EQ(ClassicSeconds(0), 0u);
    EXPECT_EQ(ClassicSeconds(*CalendarToFileTime({1970, 1, 1, 0, 0, 1, 0})), 1u);
    EXPECT_EQ(ClassicSeconds(*CalendarToFileTime({2200, 1, 1, 0, 0, 0, 0})), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace veltrano::eventlog
