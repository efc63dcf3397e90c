#include "platform/offline/dump/dump_memory.h"

#include <gtest/gtest.h>

namespace veltrano::dump {
namespace {

std::vector<std::pair<uint64_t, uint64_t>> Spans(const DumpMemory& memory, uint64_t address,
                                                 uint64_t size) {
    std::vector<std::pair<uint64_t, uint64_t>> spans;
    const auto found = memory.Locate(address, size);
    if (!found)
        return {{0, 0}};  // stands for "not held"
    for (const FileSpan& s : *found)
        spans.emplace_back(s.offset, s.size);
    return spans;
}

using SpanList = std::vector<std::pair<uint64_t, uint64_t>>;
const SpanList kNotHeld{{0, 0}};

TEST(DumpMemory, KeepsRangesInAddressOrderAndFindsTheFileOffset) {
    // Out of order in the list, as writers may list them; the bytes anywhere in the file.
    const DumpMemory memory({{0x3000, 0x100, 9000}, {0x1000, 0x100, 5000}, {0x2000, 0x80, 100}});
    ASSERT_EQ(memory.ranges().size(), 3u);
    EXPECT_EQ(memory.ranges()[0].start, 0x1000u);
    EXPECT_EQ(memory.ranges()[2].start, 0x3000u);
    EXPECT_EQ(Spans(memory, 0x1000, 0x100), (SpanList{{5000, 0x100}}));
    EXPECT_EQ(Spans(memory, 0x2010, 0x10), (SpanList{{116, 0x10}}));
    EXPECT_EQ(Spans(memory, 0x30FF, 1), (SpanList{{9000 + 0xFF, 1}}));
    EXPECT_EQ(Spans(memory, 0x1000, 0), SpanList{});
}

TEST(DumpMemory, RefusesWhatIsNotHeld) {
    const DumpMemory memory({{0x1000, 0x100, 5000}, {0x2000, 0x80, 100}});
    EXPECT_EQ(Spans(memory, 0xFFF, 2), kNotHeld) << "starts before the range";
    EXPECT_EQ(Spans(memory, 0x10FF, 2), kNotHeld) << "ends after it";
    EXPECT_EQ(Spans(memory, 0x1100, 1), kNotHeld) << "in the gap";
    EXPECT_EQ(Spans(memory, 0x500, 1), kNotHeld) << "below every range";
    EXPECT_EQ(Spans(memory, 0x2080, 1), kNotHeld) << "above every range";
    EXPECT_EQ(Spans(DumpMemory(), 0, 1), kNotHeld);
}

TEST(DumpMemory, RangesThatMeetContinueEachOther) {
    // A stack split over two pages whose bytes lie apart in the file.
    const DumpMemory memory({{0x2000, 0x1000, 800}, {0x1000, 0x1000, 40000}});
    EXPECT_EQ(Spans(memory, 0x1FF0, 0x20), (SpanList{{40000 + 0xFF0, 0x10}, {800, 0x10}}));
    EXPECT_EQ(Spans(memory, 0x1000, 0x2000), (SpanList{{40000, 0x1000}, {800, 0x1000}}));
    EXPECT_EQ(Spans(memory, 0x1000, 0x2001), kNotHeld);
}

TEST(DumpMemory, TheTopOfTheAddressSpaceDoesNotWrap) {
    const DumpMemory memory({{0, 0x10, 1000}, {UINT64_MAX - 0xF, 0x10, 2000}});
    EXPECT_EQ(Spans(memory, UINT64_MAX, 1), (SpanList{{2000 + 0xF, 1}}));
    EXPECT_EQ(Spans(memory, UINT64_MAX, 2), kNotHeld) << "would go on at address 0";
}

TEST(DumpMemory, OfOverlappingRangesTheLowerIsKept) {
    const DumpMemory memory({{0x1080, 0x10, 7000},
                             {0x1000, 0x100, 5000},
                             {0x1000, 0x20, 6000},
                             {0x10F0, 0x20, 8000},
                             {0x1100, 0x10, 9000},
                             {0x1200, 0, 9500}});
    ASSERT_EQ(memory.ranges().size(), 2u);
    EXPECT_EQ(memory.ranges()[0].rva, 5000u) << "listed first of the two at 0x1000";
    EXPECT_EQ(memory.ranges()[1].rva, 9000u) << "meets the first without overlapping it";
    EXPECT_EQ(Spans(memory, 0x1084, 4), (SpanList{{5000 + 0x84, 4}}));
    EXPECT_EQ(Spans(memory, 0x10F8, 0x10), (SpanList{{5000 + 0xF8, 8}, {9000, 8}}));
    EXPECT_EQ(Spans(memory, 0x1200, 1), kNotHeld) << "an empty range holds nothing";
}

}  // namespace
}  // namespace veltrano::dump
