#include "base/iso_time.h"

#include <gtest/gtest.h>

namespace veltrano {
namespace {

constexpr FileTime kUnixEpoch = 116444736000000000u;

FileTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return *CalendarToFileTime({year, month, day, hour, minute, second, 0});
}

TEST(IsoTimeText, WritesUtcTimes) {
    EXPECT_EQ(IsoUtc(0), "1601-01-01T00:00:00Z");
    EXPECT_EQ(IsoUtc(kUnixEpoch), "1970-01-01T00:00:00Z");
    // Whole seconds: the fraction is cut, never rounded up.
    EXPECT_EQ(IsoUtc(At(2026, 12, 31, 23, 59, 59) + 9'999'999), "2026-12-31T23:59:59Z");
    EXPECT_EQ(IsoUtc(At(2024, 2, 29, 12, 3, 4)), "2024-02-29T12:03:04Z");
    EXPECT_EQ(IsoUtc(0x8000000000000000u), "");
    EXPECT_EQ(IsoUtcTicks(At(2024, 1, 31, 12, 34, 56) + 1), "2024-01-31T12:34:56.0000001Z");
    EXPECT_EQ(IsoUtcTicks(At(2024, 1, 31) + 9'999'999), "2024-01-31T00:00:00.9999999Z");
    EXPECT_EQ(IsoUtcTicks(0x8000000000000000u), "");
}

TEST(IsoTimeText, DatesAndDays) {
    const CalendarTime t{30827, 12, 31, 23, 59, 59, 999};
    EXPECT_EQ(IsoDate(t), "30827-12-31");
    EXPECT_EQ(IsoDateTime(t, ' '), "30827-12-31 23:59:59");
    EXPECT_EQ(IsoDateTime({1601, 2, 3, 4, 5, 6, 0}), "1601-02-03T04:05:06");
    EXPECT_EQ(IsoDay(0), "1970-01-01");
    EXPECT_EQ(IsoDay(-1), "1969-12-31");
    EXPECT_EQ(IsoDay(19782), "2024-02-29");
    EXPECT_EQ(IsoDay(static_cast<int32_t>(-kEpochDifferenceSeconds / 86'400)), "1601-01-01");
    EXPECT_EQ(IsoDay(static_cast<int32_t>(-kEpochDifferenceSeconds / 86'400) - 1), "");
}

TEST(IsoTimeParse, RoundTripsWhatItWrites) {
    for (FileTime t : {FileTime{0}, kUnixEpoch, At(2000, 2, 29, 23, 59, 59), At(2024, 2, 29),
                       At(2026, 12, 8, 12), At(9999, 12, 31, 23, 59, 59)}) {
        EXPECT_EQ(ParseIsoUtc(IsoUtc(t)), t) << IsoUtc(t);
        EXPECT_EQ(ReadIsoTime(Ascii(IsoUtcTicks(t + 1234567)), false)->time, t + 1234567);
    }
}

TEST(IsoTimeParse, FractionsToTheHundredNanoseconds) {
    const FileTime noon = At(2026, 12, 8, 12);
    EXPECT_EQ(ParseIsoUtc("2026-12-08T12:00:00.5Z"), noon + 5'000'000);
    EXPECT_EQ(ParseIsoUtc("2026-12-08T12:00:00.007Z"), noon + 70'000);
    // Digits past the seventh count for nothing.
    EXPECT_EQ(ParseIsoUtc("2026-12-08T12:00:00.123456789Z"), noon + 1'234'567);
    EXPECT_FALSE(ParseIsoUtc("2026-12-08T12:00:00.Z"));
}

TEST(IsoTimeParse, RefusesTimesTheCalendarHasNot) {
    for (const char* bad : {"2026-13-01T00:00:00Z", "2026-00-10T00:00:00Z", "2026-02-29T00:00:00Z",
                            "2100-02-29T00:00:00Z", "2026-04-31T00:00:00Z", "2026-01-00T00:00:00Z",
                            "2026-12-08T24:00:00Z", "2026-12-08T12:60:00Z", "2026-12-08T12:00:60Z",
                            "1600-12-31T23:59:59Z", "0000-01-01T00:00:00Z"}) {
        EXPECT_FALSE(ParseIsoUtc(bad)) << bad;
    }
    EXPECT_TRUE(ParseIsoUtc("2000-02-29T00:00:00Z"));
    EXPECT_TRUE(ParseIsoUtc("1601-01-01T00:00:00Z"));
}

TEST(IsoTimeParse, RefusesOtherShapes) {
    for (const char* bad :
         {"", "2026-12-08", "2026-12-08T12:00:00", "2026-12-08T12:00:00z", "2026-12-08T12:00:00Z ",
          " 2026-12-08T12:00:00Z", "2026-12-08 12:00:00Z", "2026-12-08T12:00:00+01:00",
          "2026-1-08T12:00:00Z", "+026-12-08T12:00:00Z", "2026-12-08T 1:00:00Z",
          "2026-12-08T+1:00:00Z", "2026/12/08T12:00:00Z", "2026-12-08T12:00:00ZZ",
          "12026-12-08T12:00:00Z"}) {
        EXPECT_FALSE(ParseIsoUtc(bad)) << bad;
    }
}

TEST(IsoTimeParse, ReadsTheStartOfALongerText) {
    const FileTime noon = At(2026, 12, 8, 12);
    const auto zoned = ReadIsoTime(u"2026-12-08T12:00:00.25+01:00", false);
    ASSERT_TRUE(zoned);
    EXPECT_EQ(zoned->time, noon + 2'500'000);
    EXPECT_EQ(zoned->length, 22u);
    // A '.' without digits is not a fraction; it is left to the caller.
    EXPECT_EQ(ReadIsoTime(u"2026-12-08T12:00:00.", false)->length, 19u);
    EXPECT_EQ(ReadIsoTime(u"2026-12-08 12:00:00", true)->time, noon);
    EXPECT_FALSE(ReadIsoTime(u"2026-12-08 12:00:00", false));
    EXPECT_FALSE(ReadIsoTime(u"2026-12-08T12:00:0", true));
    // Digits are ASCII digits only.
    EXPECT_FALSE(ReadIsoTime(u"2026-12-08T12:00:0\uff11", true));
}

}  // namespace
}  // namespace veltrano
