#include "engine/catalogue.h"

#include <gtest/gtest.h>

#include "support/fake_clock.h"

namespace veltrano {
namespace {
using testing::At;
using testing::Seconds;

class CatalogueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        catalogue.WeekStart = now - kTicksPerWeek;
        catalogue.MonthStart = At(2026, 11, 8, 12);
        catalogue.HalfYearStart = At(2026, 6, 8, 12);
    }

    static ErrorOccurrence Occurrence(Text app, Text error, FileTime t, Text reportId = u"") {
        ErrorOccurrence o;
        o.AppName = std::move(app);
        o.ErrorName = std::move(error);
        o.time = t;
        o.ReportId = std::move(reportId);
        return o;
    }

    // Merge, or create and add as a source does.
    void Record(const ErrorOccurrence& o, int32_t category = CategoryEventLog) {
        if (catalogue.Merge(o))
            return;
        ErrorEntry e = catalogue.CreateEntry(o, now);
        e.Category = category;
        catalogue.Add(std::move(e));
    }

    std::vector<Text> RecencyKeys() const {
        std::vector<Text> keys;
        for (const auto& [time, key] : catalogue.RecencyIndex)
            keys.push_back(key);
        return keys;
    }

    FileTime now = At(2026, 12, 8, 12);
    ErrorCatalogue catalogue;
};

TEST_F(CatalogueTest, CreationCountsOnlyStrictlyInsideEachWindow) {
    Record(Occurrence(u"app", u"1", now - Seconds(60)));
    Record(Occurrence(u"old", u"1", At(2020, 1, 1)));
    Record(Occurrence(u"edge", u"1", catalogue.WeekStart));

    const ErrorEntry& recent = *catalogue.Find(u"app_1");
    EXPECT_EQ(recent.ErrorCount, 1);
    EXPECT_EQ(recent.WeekCount, 1);
    EXPECT_EQ(recent.HalfYearCount, 1);
    EXPECT_EQ(recent.WeekFirstTime, now - Seconds(60));

    const ErrorEntry& old = *catalogue.Find(u"old_1");
    EXPECT_EQ(old.WeekCount + old.MonthCount + old.HalfYearCount, 0);
    EXPECT_EQ(old.WeekFirstTime, now);  // no occurrence inside: the creation time
    EXPECT_EQ(old.OccurrenceTimes.size(), 1u);

    // Exactly at the window start: not counted when it creates the entry...
    const ErrorEntry& edge = *catalogue.Find(u"edge_1");
    EXPECT_EQ(edge.WeekCount, 0);
    EXPECT_EQ(edge.MonthCount, 1);
    // ...but counted when it is merged into an existing one.
    Record(Occurrence(u"app", u"1", catalogue.WeekStart));
    EXPECT_EQ(catalogue.Find(u"app_1")->WeekCount, 2);
    EXPECT_EQ(catalogue.Find(u"app_1")->WeekFirstTime, catalogue.WeekStart);
}

TEST_F(CatalogueTest, RecordsSharingASecondEachCountButTheSameRecordCountsOnce) {
    const FileTime t = now - Seconds(100);
    // A burst: three records of one second, each its own occurrence.
    for (int i = 0; i < 3; ++i)
        Record(Occurrence(u"app", u"1", t, u"R" + DecimalText(i)));
    const ErrorEntry& e = *catalogue.Find(u"app_1");
    EXPECT_EQ(e.ErrorCount, 3);
    EXPECT_EQ(e.WeekCount, 3);
    EXPECT_EQ(e.ReportId, u"R0");
    EXPECT_EQ(e.OccurrenceTimes.size(), 1u);
    EXPECT_EQ(e.QuarterHourCounts.at(QuarterHourOf(t)), 3);

    // A log's record handed out again (a second pass) is noted as read; another log's record of
    // the same number is not.
    EXPECT_TRUE(catalogue.NoteRecord(u"System", 11));
    EXPECT_FALSE(catalogue.NoteRecord(u"System", 11));
    EXPECT_TRUE(catalogue.NoteRecord(u"Application", 11));
    EXPECT_FALSE(catalogue.NoteRecord(u"System", 11));

    // Report files: one identifier or one file below its archive is one report, however reached.
    auto report = [&](Text key) {
        ErrorOccurrence o = Occurrence(u"wer", u"crash", t);
        o.ReportKey = std::move(key);
        return o;
    };
    for (Text key : {u"id A", u"id A", u"file machine\\x\\Report.wer", u"id B",
                     u"file machine\\x\\Report.wer", u""})
        Record(report(key), CategoryReportFile);
    EXPECT_EQ(catalogue.Find(u"wer_crash")->ErrorCount, 4);
    // After a clear every record and report is new again.
    catalogue.Clear();
    EXPECT_TRUE(catalogue.NoteRecord(u"System", 11));
    Record(report(u"id A"), CategoryReportFile);
    EXPECT_EQ(catalogue.Find(u"wer_crash")->ErrorCount, 1);
}

TEST(RecordNumbersTest, RangesJoinAndHoldEveryNumberOnce) {
    RecordNumbers numbers;
    // A backwards pass, a forwards pass and a gap that later numbers fill from both sides.
    for (uint32_t n : {9u, 8u, 7u, 1u, 2u, 3u, 5u})
        EXPECT_TRUE(numbers.Insert(n)) << n;
    EXPECT_EQ(numbers.RangeCount(), 3u);
    for (uint32_t n : {1u, 3u, 5u, 7u, 9u})
        EXPECT_FALSE(numbers.Insert(n)) << n;
    EXPECT_TRUE(numbers.Insert(4));
    EXPECT_TRUE(numbers.Insert(6));
    EXPECT_EQ(numbers.RangeCount(), 1u);
    for (uint32_t n = 1; n <= 9; ++n)
        EXPECT_FALSE(numbers.Insert(n)) << n;
    // The ends of the number space.
    EXPECT_TRUE(numbers.Insert(0xFFFFFFFFu));
    EXPECT_TRUE(numbers.Insert(0));
    EXPECT_FALSE(numbers.Insert(0xFFFFFFFFu));
    EXPECT_EQ(numbers.RangeCount(), 2u);
    // A long backwards pass stays one range, and a second pass over it adds nothing.
    RecordNumbers log;
    for (uint32_t n = 100'000; n > 0; --n)
        EXPECT_TRUE(log.Insert(n));
    for (uint32_t n = 1; n <= 100'000; n += 997)
        EXPECT_FALSE(log.Insert(n));
    EXPECT_EQ(log.RangeCount(), 1u);
}

TEST_F(CatalogueTest, EqualOlderTimeCountsAgainButIsStoredOnce) {
    const FileTime older = now - Seconds(500);
    Record(Occurrence(u"app", u"1", older));
    Record(Occurrence(u"app", u"1", now - Seconds(100)));
    Record(Occurrence(u"app", u"1", older));
    const ErrorEntry& e = *catalogue.Find(u"app_1");
    EXPECT_EQ(e.ErrorCount, 3);
    EXPECT_EQ(e.WeekCount, 3);
    EXPECT_EQ(e.OccurrenceTimes.size(), 2u);
    EXPECT_EQ(*e.OccurrenceTimes.begin(), now - Seconds(100));  // newest first
}

TEST_F(CatalogueTest, OlderOccurrenceKeepsLatestReportAndRecency) {
    Record(Occurrence(u"app", u"1", now - Seconds(100), u"NEW"));
    Record(Occurrence(u"app", u"1", At(2026, 1, 1), u"OLD"));
    const ErrorEntry& e = *catalogue.Find(u"app_1");
    EXPECT_EQ(e.ErrorCount, 2);
    EXPECT_EQ(e.HalfYearCount, 1);
    EXPECT_EQ(e.FirstErrorDateTime, At(2026, 1, 1));
    EXPECT_EQ(e.LastErrorDateTime, now - Seconds(100));
    EXPECT_EQ(e.ReportId, u"NEW");
    EXPECT_EQ(catalogue.EventReportIndex.count(u"OLD"), 0u);
    ASSERT_EQ(catalogue.RecencyIndex.size(), 1u);
    EXPECT_EQ(catalogue.RecencyIndex.begin()->first, now - Seconds(100));
}

TEST_F(CatalogueTest, NewerOccurrenceMovesRecencyAndReportMapping) {
    Record(Occurrence(u"app", u"1", now - Seconds(500), u"A"));
    Record(Occurrence(u"app", u"1", now - Seconds(100), u"B"));
    EXPECT_EQ(catalogue.EventReportIndex.count(u"A"), 0u);
    EXPECT_EQ(catalogue.EventReportIndex.at(u"B"), u"app_1");
    Record(Occurrence(u"app", u"1", now - Seconds(50)));  // no identifier: the entry's goes empty
    EXPECT_EQ(catalogue.Find(u"app_1")->ReportId, u"");
    EXPECT_TRUE(catalogue.EventReportIndex.empty());
    ASSERT_EQ(catalogue.RecencyIndex.size(), 1u);
    EXPECT_EQ(catalogue.RecencyIndex.begin()->first, now - Seconds(50));
}

TEST_F(CatalogueTest, EqualLatestTimesKeepInsertionOrderAndMoveIndependently) {
    const FileTime t = now - Seconds(100);
    Record(Occurrence(u"b", u"1", t));
    Record(Occurrence(u"a", u"1", t));
    Record(Occurrence(u"c", u"1", now - Seconds(200)));
    EXPECT_EQ(RecencyKeys(), (std::vector<Text>{u"b_1", u"a_1", u"c_1"}));
    Record(Occurrence(u"a", u"1", now - Seconds(10)));
    EXPECT_EQ(RecencyKeys(), (std::vector<Text>{u"a_1", u"b_1", u"c_1"}));
    Record(Occurrence(u"c", u"1", t));
    EXPECT_EQ(RecencyKeys(), (std::vector<Text>{u"a_1", u"b_1", u"c_1"}));
}

TEST_F(CatalogueTest, KeysJoinNamesWithUnderscoreAndRespectCase) {
    Record(Occurrence(u"a_b", u"c", now - Seconds(10)));
    Record(Occurrence(u"a", u"b_c", now - Seconds(20)));
    Record(Occurrence(u"A", u"b_c", now - Seconds(30)));
    EXPECT_EQ(catalogue.entries.size(), 2u);
    EXPECT_EQ(catalogue.Find(u"a_b_c")->ErrorCount, 2);
    EXPECT_EQ(catalogue.Find(u"a_b_c")->AppName, u"a_b");  // names of the creating occurrence
    EXPECT_NE(catalogue.Find(u"A_b_c"), nullptr);
}

TEST_F(CatalogueTest, SecondMappingOfAKnownReportIdIsIgnored) {
    Record(Occurrence(u"x", u"1", now - Seconds(10), u"R"), CategoryReportFile);
    Record(Occurrence(u"y", u"1", now - Seconds(20), u"R"), CategoryReportFile);
    EXPECT_EQ(catalogue.ReportFileIndex.at(u"R"), u"x_1");
    // y moving on to a newer report does not take x's mapping with it.
    Record(Occurrence(u"y", u"1", now - Seconds(5), u"S"), CategoryReportFile);
    EXPECT_EQ(catalogue.ReportFileIndex.at(u"R"), u"x_1");
    EXPECT_EQ(catalogue.ReportFileIndex.at(u"S"), u"y_1");
    EXPECT_TRUE(catalogue.EventReportIndex.empty());
}

TEST_F(CatalogueTest, ClearEmptiesEverything) {
    Record(Occurrence(u"x", u"1", now, u"R"), CategoryReportFile);
    catalogue.TotalErrors = 5;
    catalogue.Clear();
    EXPECT_TRUE(catalogue.entries.empty());
    EXPECT_TRUE(catalogue.ReportFileIndex.empty());
    EXPECT_TRUE(catalogue.RecencyIndex.empty());
    EXPECT_EQ(catalogue.TotalErrors, 0);
}

TEST_F(CatalogueTest, IntervalsUseNotEarlierThanTheStart) {
    Record(Occurrence(u"w", u"1", catalogue.WeekStart));
    Record(Occurrence(u"m", u"1", catalogue.WeekStart - 1));
    const ErrorEntry& w = *catalogue.Find(u"w_1");
    const ErrorEntry& m = *catalogue.Find(u"m_1");
    EXPECT_TRUE(catalogue.InInterval(w, IntervalWeek));
    EXPECT_FALSE(catalogue.InInterval(m, IntervalWeek));
    EXPECT_TRUE(catalogue.InInterval(m, IntervalMonth));
    EXPECT_TRUE(catalogue.InInterval(m, IntervalAll));
    EXPECT_EQ(ErrorCatalogue::IntervalCount(m, IntervalAll), 1);
}

}  // namespace
}  // namespace veltrano
