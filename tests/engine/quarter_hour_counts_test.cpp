#include "engine/quarter_hour_counts.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace veltrano {
namespace {

std::vector<std::pair<int32_t, int32_t>> Listed(const QuarterHourCountMap& counts) {
    return {counts.begin(), counts.end()};
}

TEST(QuarterHourCountMap, ListsAscendingWhateverOrderTheQuarterHoursCameIn) {
    QuarterHourCountMap counts;
    // Newest first as a log is read, then older and newer ones out of that order.
    for (int32_t q : {50, 50, 40, 10, 45, 60, 40, 5, 60})
        ++counts[q];
    using P = std::pair<int32_t, int32_t>;
    EXPECT_EQ(Listed(counts),
              (std::vector<P>{{5, 1}, {10, 1}, {40, 2}, {45, 1}, {50, 2}, {60, 2}}));
    EXPECT_EQ(counts.size(), 6u);
    EXPECT_EQ(counts.at(40), 2);
    EXPECT_THROW((void)counts.at(41), std::out_of_range);
    // Looking a quarter hour up by [] adds it with no occurrences, as a map does.
    EXPECT_EQ(counts[41], 0);
    EXPECT_EQ(counts.size(), 7u);
    counts.clear();
    EXPECT_TRUE(counts.empty());
    EXPECT_EQ(counts.begin(), counts.end());
}

}  // namespace
}  // namespace veltrano
