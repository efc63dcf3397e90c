#include "shell/time_text.h"

#include <gtest/gtest.h>

#include "shell/local_texts.h"
#include "support/fake_clock.h"

namespace veltrano {
namespace {
using testing::At;
using testing::FakeClock;
using testing::Seconds;

class TimeTextTest : public ::testing::Test {
  protected:
    void SetUp() override { InitLocalTexts(0x0409, u""); }
    FakeClock clock;
    FileTime now = clock.UtcNow();
};

TEST_F(TimeTextTest, FormatAgeAtEveryBoundary) {
    const std::pair<int64_t, const char16_t*> cases[] = {
        {0, u"0 seconds ago"},  {1, u"1 second ago"},     {59, u"59 seconds ago"},
        {60, u"1 minute ago"},  {119, u"1 minute ago"},   {3599, u"59 minutes ago"},
        {3600, u"1 hour ago"},  {86399, u"23 hours ago"}, {86400, u"1 day ago"},
        {172799, u"1 day ago"}, {172800, u"2 days ago"},  {1095 * 86400, u"1095 days ago"},
    };
    for (const auto& [age, text] : cases) {
        EXPECT_EQ(FormatAge(clock, now - Seconds(age)), text) << age;
    }
    EXPECT_EQ(FormatAge(clock, now + Seconds(1)), u"The input time is in the future");
}

TEST_F(TimeTextTest, FormatAgeInGermanAndFutureTextNotLocalised) {
    InitLocalTexts(0x0407, u"");
    EXPECT_EQ(FormatAge(clock, now - Seconds(5 * 3600)), u"vor 5 Stunden");
    EXPECT_EQ(FormatAge(clock, now - Seconds(1)), u"vor 1 Sekunde");
    EXPECT_EQ(FormatAge(clock, now + Seconds(1)), u"The input time is in the future");
}

TEST_F(TimeTextTest, DaysSince) {
    EXPECT_EQ(DaysSince(clock, now - Seconds(47 * 3600)), 1);
    EXPECT_EQ(DaysSince(clock, now - Seconds(48 * 3600)), 2);
    EXPECT_EQ(DaysSince(clock, now), 0);
    EXPECT_EQ(DaysSince(clock, now + Seconds(1)), -1);
    // Times before 1900 count as 1970.
    EXPECT_EQ(DaysSince(clock, 0), static_cast<int32_t>(clock.NowSeconds() / 86400));
}

TEST_F(TimeTextTest, ShiftMonthsClampsTheDayAndCarriesTheYear) {
    EXPECT_EQ(*ShiftMonths(clock, At(2026, 3, 31, 10, 20, 30), -1), At(2026, 2, 28, 10, 20, 30));
    EXPECT_EQ(*ShiftMonths(clock, At(2024, 3, 31, 10, 20, 30), -1), At(2024, 2, 29, 10, 20, 30));
    EXPECT_EQ(*ShiftMonths(clock, At(2026, 1, 15, 8), -1), At(2025, 12, 15, 8));
    EXPECT_EQ(*ShiftMonths(clock, At(2026, 12, 15, 8), 0), At(2026, 12, 15, 8));
    EXPECT_EQ(*ShiftMonths(clock, At(2026, 6, 30), -6), At(2025, 12, 30));
    EXPECT_EQ(*ShiftMonths(clock, At(2024, 8, 29), -6), At(2024, 2, 29));
    EXPECT_EQ(*ShiftMonths(clock, At(2025, 8, 29), -6), At(2025, 2, 28));
    EXPECT_EQ(*ShiftMonths(clock, At(2026, 2, 28), 13), At(2027, 3, 28));
    EXPECT_FALSE(ShiftMonths(clock, 0x8000000000000000u, -1));
}

TEST_F(TimeTextTest, LocalTextsAndNumbers) {
    EXPECT_EQ(FileTimeToLocalText(clock, At(2026, 3, 1, 14, 5, 9)), u"2026-03-01 14:05:09");
    EXPECT_EQ(FileTimeToLocalText(clock, At(2026, 3, 1)), u"2026-03-01");
    const Text decimal = DecimalText(static_cast<int64_t>(At(2026, 3, 1, 14, 5, 9)));
    EXPECT_EQ(FileTimeTextToLocalText(clock, u" " + decimal + u"xyz"), u"2026-03-01 14:05:09");
    EXPECT_EQ(FileTimeTextToLocalText(clock, u"abc"), u"1601-01-01");
    EXPECT_EQ(Int64ToText(-5), u"-5");
    EXPECT_EQ(Int64ToText(134000000000000000), u"134000000000000000");
}

}  // namespace
}  // namespace veltrano
