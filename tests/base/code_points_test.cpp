#include <gtest/gtest.h>

#include <vector>

#include "base/text.h"

namespace veltrano {
namespace {

std::vector<CodePoint> Walk(TextView text) {
    std::vector<CodePoint> out;
    for (const CodePoint cp : CodePoints(text))
        out.push_back(cp);
    return out;
}

// What a walk gave, as (value, offset, units, lone) rows that compare in one expectation.
std::vector<std::vector<uint32_t>> Rows(TextView text) {
    std::vector<std::vector<uint32_t>> rows;
    for (const CodePoint& cp : Walk(text)) {
        rows.push_back({static_cast<uint32_t>(cp.value), static_cast<uint32_t>(cp.offset),
                        static_cast<uint32_t>(cp.units), cp.lone ? 1u : 0u});
    }
    return rows;
}

using R = std::vector<std::vector<uint32_t>>;

TEST(CodePoints, PairsAreOneCodePoint) {
    EXPECT_EQ(Rows(u"a\u00e4\U0001F600z"),
              (R{{'a', 0, 1, 0}, {0xE4, 1, 1, 0}, {0x1F600, 2, 2, 0}, {'z', 4, 1, 0}}));
    EXPECT_EQ(Rows(u"\U00010000\U0010FFFF"), (R{{0x10000, 0, 2, 0}, {0x10FFFF, 2, 2, 0}}));
    EXPECT_TRUE(Walk(u"").empty());
}

TEST(CodePoints, LoneSurrogatesComeOutAsThemselves) {
    // A high at the end, a high before a non-low, a low on its own, a low before a high.
    EXPECT_EQ(Rows(Text{u'x', 0xD800}), (R{{'x', 0, 1, 0}, {0xD800, 1, 1, 1}}));
    EXPECT_EQ(Rows(Text{0xDBFF, u'y'}), (R{{0xDBFF, 0, 1, 1}, {'y', 1, 1, 0}}));
    EXPECT_EQ(Rows(Text{0xDC00}), (R{{0xDC00, 0, 1, 1}}));
    EXPECT_EQ(Rows(Text{0xDFFF, 0xD800}), (R{{0xDFFF, 0, 1, 1}, {0xD800, 1, 1, 1}}));
    // High, high, low: the second high pairs.
    EXPECT_EQ(Rows(Text{0xD800, 0xD800, 0xDC00}), (R{{0xD800, 0, 1, 1}, {0x10000, 1, 2, 0}}));
    // The units around the surrogate range are plain characters.
    EXPECT_EQ(Rows(Text{0xD7FF, 0xE000}), (R{{0xD7FF, 0, 1, 0}, {0xE000, 1, 1, 0}}));
}

// Every pair of surrogates: the code point it makes gives the same two units back.
TEST(CodePoints, EveryPairRoundTrips) {
    for (uint32_t high = 0xD800; high <= 0xDBFF; high += 0x3F) {
        for (uint32_t low = 0xDC00; low <= 0xDFFF; ++low) {
            const Text text{static_cast<char16_t>(high), static_cast<char16_t>(low)};
            const CodePoint cp = CodePointAt(text, 0);
            ASSERT_EQ(cp.units, 2u);
            ASSERT_FALSE(cp.lone);
            const uint32_t v = static_cast<uint32_t>(cp.value) - 0x10000;
            ASSERT_EQ(0xD800 + (v >> 10), high);
            ASSERT_EQ(0xDC00 + (v & 0x3FF), low);
        }
    }
}

TEST(CodePoints, Utf8OfEachLength) {
    std::string out;
    for (char32_t c : {U'A', U'\u00e4', U'\u20ac', U'\U0001F600', char32_t{0xD800}})
        AppendUtf8(out, c);
    EXPECT_EQ(out, "A\xc3\xa4\xe2\x82\xac\xf0\x9f\x98\x80\xed\xa0\x80");
}

// The UTF-8 conversions decide differently for a lone surrogate: a text gets U+FFFD, a path
// gets back the byte that U+DC80..U+DCFF stands for (and U+FFFD for any other).
TEST(CodePoints, TextsAndPathsTreatLoneSurrogatesTheirOwnWay) {
    const Text text{u'a', 0xDC80, 0xDCFF, 0xDC7F, 0xD800, u'b'};
    EXPECT_EQ(Utf16ToUtf8(text),
              "a\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"
              "b");
    EXPECT_EQ(Utf16PathToUtf8(text),
              "a\x80\xff\xef\xbf\xbd\xef\xbf\xbd"
              "b");
    // A pair of escaped-byte-looking units is still a pair, never two bytes.
    EXPECT_EQ(Utf16PathToUtf8(Text{0xDBFF, 0xDC80}), "\xf4\x8f\xb2\x80");
}

}  // namespace
}  // namespace veltrano
