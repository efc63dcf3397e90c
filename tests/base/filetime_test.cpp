#include "base/filetime.h"

#include <gtest/gtest.h>

namespace veltrano {
namespace {

TEST(FileTimeCalendar, KnownInstantsAndRoundTrips) {
    EXPECT_EQ(*CalendarToFileTime({1601, 1, 1, 0, 0, 0, 0}), 0u);
    EXPECT_EQ(*CalendarToFileTime({1970, 1, 1, 0, 0, 0, 0}), 116444736000000000u);
    for (FileTime ft : {FileTime{0}, FileTime{116444736000000000u}, FileTime{133000000000000000u},
                        FileTime{0x7FFFFFFFFFFFFFFFu / 1000}}) {
        auto t = FileTimeToCalendar(ft);
        ASSERT_TRUE(t);
        EXPECT_EQ(*CalendarToFileTime(*t), ft - ft % 10000);
    }
    EXPECT_FALSE(FileTimeToCalendar(0x8000000000000000u));
}

TEST(FileTimeCalendar, RefusesDatesThatDoNotExist) {
    EXPECT_FALSE(CalendarToFileTime({2023, 2, 29, 0, 0, 0, 0}));
    EXPECT_TRUE(CalendarToFileTime({2024, 2, 29, 0, 0, 0, 0}));
    EXPECT_FALSE(CalendarToFileTime({2024, 4, 31, 0, 0, 0, 0}));
    EXPECT_FALSE(CalendarToFileTime({1600, 12, 31, 0, 0, 0, 0}));
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
}

TEST(FileTimeCalendar, UnixSeconds) {
    EXPECT_EQ(FileTimeToUnixSeconds(116444736000000000u), 0);
    EXPECT_EQ(*UnixSecondsToFileTime(1), 116444736010000000u);
    EXPECT_FALSE(UnixSecondsToFileTime(-kEpochDifferenceSeconds - 1));
}

}  // namespace
}  // namespace veltrano
