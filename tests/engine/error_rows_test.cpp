#include "engine/error_rows.h"

#include <gtest/gtest.h>

#include "shell/local_texts.h"
#include "support/fake_clock.h"

namespace veltrano {
namespace {
using testing::Seconds;

class ErrorRowsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitLocalTexts(0x0409, u"");
        const FileTime now = clock.UtcNow();
        catalogue.WeekStart = now - kTicksPerWeek;
        catalogue.MonthStart = now - 30 * kTicksPerDay;
        catalogue.HalfYearStart = now - 183 * kTicksPerDay;
    }
    // An entry with `count` occurrences one hour apart, the newest `agoSeconds` ago.
    ErrorEntry& Add(Text app, int64_t agoSeconds, int count = 1, int32_t category = 2) {
        ErrorOccurrence o;
        o.AppName = std::move(app);
        o.ErrorName = u"1";
        o.time = clock.UtcNow() - Seconds(agoSeconds);
        ErrorEntry e = catalogue.CreateEntry(o, clock.UtcNow());
        e.Category = category;
        e.AppPath = u"C:\\p.exe";
        const Text key = EntryKey(e);
        catalogue.Add(std::move(e));
        for (int i = 1; i < count; ++i) {
            o.time = clock.UtcNow() - Seconds(agoSeconds + 3600 * i);
            catalogue.Merge(o);
        }
        return *catalogue.Find(key);
    }
    static std::vector<Text> Lines(const Text& tip) {
        std::vector<Text> lines;
        for (TextView line : SplitLines(tip))
            lines.emplace_back(line);
        return lines;
    }

    testing::FakeClock clock{testing::At(2026, 12, 8, 12)};
    ErrorCatalogue catalogue;
};

TEST_F(ErrorRowsTest, RowsInRecencyOrderWithCellsAndIcons) {
    Add(u"older", 7200);
    Add(u"tieA", 60);
    Add(u"tieB", 60, 1, CategoryApplicationError);
    Add(u"ancient", 400 * 86400, 3);
    auto rows = BuildErrorRows(catalogue, IntervalWeek, clock);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].columns[0], u"tieA");
    EXPECT_EQ(rows[1].columns[0], u"tieB");
    EXPECT_EQ(rows[1].image, 3);
    EXPECT_EQ(rows[2].columns[3], u"2 hours ago");
    EXPECT_EQ(rows[2].columns[4], u"C:\\p.exe");
    rows = BuildErrorRows(catalogue, IntervalAll, clock);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[3].columns[2], u"3");
    EXPECT_EQ(rows[3].columns[3], u"400 days ago");
}

TEST_F(ErrorRowsTest, JoinedReportsNeverShow) {
    Add(u"report", 60, 1, CategoryReportFile).Linked = 1;
    for (int interval : {IntervalWeek, IntervalMonth, IntervalHalfYear, IntervalAll}) {
        EXPECT_TRUE(BuildErrorRows(catalogue, interval, clock).empty());
    }
    EXPECT_EQ(CountIntervals(catalogue).halfYear, 0);
}

TEST_F(ErrorRowsTest, TooltipListsAllUpToTenElseEightAndTheFirst) {
    const auto ten = Lines(OccurrenceTooltip(Add(u"ten", 60, 10), IntervalWeek, clock));
    ASSERT_EQ(ten.size(), 11u);
    EXPECT_EQ(ten[0], u"Error was recorded at:");
    EXPECT_EQ(ten[1], u"2026-12-08 11:59:00");
    EXPECT_EQ(ten[10], u"2026-12-08 02:59:00");

    const auto eleven = Lines(OccurrenceTooltip(Add(u"eleven", 60, 11), IntervalWeek, clock));
    ASSERT_EQ(eleven.size(), 11u);
    EXPECT_EQ(eleven[8], u"2026-12-08 04:59:00");
    EXPECT_EQ(eleven[9], u"...");
    EXPECT_EQ(eleven[10], u"2026-12-08 01:59:00");

    const auto many = Lines(OccurrenceTooltip(Add(u"many", 60, 25), IntervalAll, clock));
    ASSERT_EQ(many.size(), 11u);
    EXPECT_EQ(many[10], u"2026-12-07 11:59:00");  // the first time of all
}

TEST_F(ErrorRowsTest, TooltipCountsOnlyTheInterval) {
    ErrorEntry& e = Add(u"mixed", 60, 1);
    ErrorOccurrence old;
    old.AppName = u"mixed";
    old.ErrorName = u"1";
    old.time = clock.UtcNow() - 40 * kTicksPerDay;
    catalogue.Merge(old);
    EXPECT_EQ(Lines(OccurrenceTooltip(e, IntervalWeek, clock)).size(), 2u);
    EXPECT_EQ(Lines(OccurrenceTooltip(e, IntervalAll, clock)).size(), 3u);
}

TEST_F(ErrorRowsTest, StatusTextWithTotalsExceptForAll) {
    catalogue.TotalErrors = 340;
    catalogue.MaxAgeDays = 412;
    EXPECT_EQ(IntervalStatusText(catalogue, IntervalWeek, 12, clock),
              u"12 errors found, occurred in the last 7 days (Total: 340 errors in the last 412 "
              u"days)");
    EXPECT_EQ(IntervalStatusText(catalogue, IntervalAll, 5, clock),
              u"5 errors found, occurred in the last 412 days");
    EXPECT_EQ(IntervalStatusText(catalogue, IntervalMonth, 0, clock).substr(0, 44),
              u"0 errors found, occurred in the last 30 days");
}

TEST_F(ErrorRowsTest, FirstIntervalWithErrorsNeverChoosesAll) {
    EXPECT_EQ(FirstIntervalWithErrors(catalogue), IntervalWeek);
    Add(u"old", 400 * 86400);
    EXPECT_EQ(FirstIntervalWithErrors(catalogue), IntervalWeek);
    Add(u"quarter", 90 * 86400);
    EXPECT_EQ(FirstIntervalWithErrors(catalogue), IntervalHalfYear);
    Add(u"fortnight", 14 * 86400);
    EXPECT_EQ(FirstIntervalWithErrors(catalogue), IntervalMonth);
    const IntervalCounts counts = CountIntervals(catalogue);
    EXPECT_EQ(counts.week, 0);
    EXPECT_EQ(counts.month, 1);
    EXPECT_EQ(counts.halfYear, 2);
}

}  // namespace
}  // namespace veltrano
