#include "base/text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>

namespace veltrano {
namespace {

TEST(SplitLines, CutsAtCrLfRunsTrimsAndStopsAtFirstBlankLine) {
    const auto lines = SplitLines(u"\r\n  one \r\r\n\ttwo\nthree  \r\n   \r\nfour");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], u"one");
    EXPECT_EQ(lines[1], u"two");
    EXPECT_EQ(lines[2], u"three");
    EXPECT_TRUE(SplitLines(u"").empty());
    EXPECT_TRUE(SplitLines(u"\r\n\r\n").empty());
}

TEST(CopyCapped, KeepsCapacityMinusOneCharacters) {
    EXPECT_EQ(CopyCapped(u"abcdef", 4), u"abc");
    EXPECT_EQ(CopyCapped(u"ab", 4), u"ab");
    EXPECT_EQ(CopyCapped(u"ab", 0), u"");
    Text field = u"abc";
    AppendCapped(field, u"defgh", 6);
    EXPECT_EQ(field, u"abcde");
    AppendCapped(field, u"x", 6);
    EXPECT_EQ(field, u"abcde");
}

TEST(Utf, RoundTripsAllPlanesAndReplacesBrokenSequences) {
    const Text text = u"a\u00e4\u20ac\U0001F600z";
    EXPECT_EQ(Utf16ToUtf8(text), "a\xc3\xa4\xe2\x82\xac\xf0\x9f\x98\x80z");
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
    EXPECT_EQ(Utf8ToUtf16("\xff\xc3"), u"\ufffd\ufffd");
    EXPECT_EQ(Utf8ToUtf16("\xc0\x80"), u"\ufffd");  // overlong
    const Text lone = {u'x', static_cast<char16_t>(0xD800)};
    EXPECT_EQ(Utf16ToUtf8(lone), "x\xef\xbf\xbd");
}

TEST(PathConversion, UndecodableBytesBecomeLoneSurrogatesAndComeBack) {
    // Expected texts as Python's "surrogateescape" decodes the same bytes.
    const std::pair<std::string, Text> cases[] = {
        {"AppCrash_\xed\xa0\x80x", u"AppCrash_\xdced\xdca0\xdc80x"},  // an NTFS lone surrogate
        {"\xff\xfe", u"\xdcff\xdcfe"},
        {"caf\xc3\xa9 \xe9", u"caf\u00e9 \xdce9"},
        {"\xe2\x82"
         "A",
         u"\xdce2\xdc82"
         "A"},                                              // a truncated sequence
        {"\xc0\x80", u"\xdcc0\xdc80"},                      // overlong
        {"\xf4\x90\x80\x80", u"\xdcf4\xdc90\xdc80\xdc80"},  // beyond U+10FFFF
        {"\xf0\x9f\x98\x80\x80", u"\xd83d\xde00\xdc80"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(Utf8PathToUtf16(bytes), text) << bytes;
        EXPECT_EQ(Utf16PathToUtf8(text), bytes) << bytes;
        // Texts for output never carry the raw bytes.
        EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)).find(u'\xdc80'), Text::npos);
    }

    std::mt19937 random(15);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<size_t> length(0, 12);
    for (int i = 0; i < 5000; ++i) {
        std::string bytes(length(random), '\0');
        for (char& c : bytes)
            c = static_cast<char>(byte(random) | (i % 2 ? 0x80 : 0));
        const Text text = Utf8PathToUtf16(bytes);
        ASSERT_EQ(Utf16PathToUtf8(text), bytes);
        const std::string output = Utf16ToUtf8(text);
        ASSERT_EQ(Utf16ToUtf8(Utf8ToUtf16(output)), output) << "output is well-formed UTF-8";
    }
    // Well-formed names read as they always did.
    EXPECT_EQ(Utf8PathToUtf16("Gr\xc3\xb6\xc3\x9f"
                              "e \xf0\x9f\x98\x80"),
              Utf8ToUtf16("Gr\xc3\xb6\xc3\x9f"
                          "e \xf0\x9f\x98\x80"));
}

TEST(FormatStrings, FillsPercentSInOrderAndIgnoresSpareArguments) {
    EXPECT_EQ(FormatStrings(u"%s of %s", {u"1", u"2", u"3"}), u"1 of 2");
    EXPECT_EQ(FormatStrings(u"%s and %s", {u"1"}), u"1 and ");
    EXPECT_EQ(FormatStrings(u"100%% %d", {}), u"100% %d");
}

TEST(Numbers, DecimalAndHexConversions) {
    EXPECT_EQ(DecimalText(0), u"0");
    EXPECT_EQ(DecimalText(-42), u"-42");
    EXPECT_EQ(DecimalText(INT64_MIN), u"-9223372036854775808");
    EXPECT_EQ(UnsignedText(UINT64_MAX), u"18446744073709551615");
    EXPECT_EQ(ParseUnsignedDecimal(u"  123abc"), 123u);
    EXPECT_EQ(ParseUnsignedDecimal(u"x1"), 0u);
    EXPECT_EQ(ParseUnsignedDecimal(u"18446744073709551615"), UINT64_MAX);
    EXPECT_EQ(ParseUnsignedDecimal(u"18446744073709551616"), UINT64_MAX);
    EXPECT_EQ(ParseUnsignedDecimal(u"99999999999999999999999"), UINT64_MAX);
    uint32_t v = 0;
    EXPECT_TRUE(ParseHex(u"0xC0000005", v));
    EXPECT_EQ(v, 0xC0000005u);
    EXPECT_TRUE(ParseHex(u"c0000005 trailing", v));
    EXPECT_EQ(v, 0xC0000005u);
    EXPECT_TRUE(ParseHex(u"0407", v));
    EXPECT_EQ(v, 0x407u);
    v = 99;
    EXPECT_FALSE(ParseHex(u"zz", v));
    EXPECT_EQ(v, 99u);
}

TEST(Numbers, HexReadsWhatTheCRuntimesPercentXReads) {
    // The C runtime's own conversion is the reference: signs, prefixes, blanks and stray text.
    const char* const inputs[] = {
        "7",   "+7",  "-7", "  +0x1F", "-0x10",   "0407",     "+0407",     "+",   "-",   "+-7",
        "-+7", "+ 7", "zz", "\t-c",    "-0XfF z", "c0000005", "-80000000", "+x1", "0x-1"};
    for (const char* input : inputs) {
        unsigned reference = 0;
        const bool readByC = std::sscanf(input, "%x", &reference) == 1;
        uint32_t value = 0;
        const Text text(input, input + std::char_traits<char>::length(input));
        EXPECT_EQ(ParseHex(text, value), readByC) << input;
        if (readByC) {
            EXPECT_EQ(value, reference) << input;
        }
    }
}

TEST(Text, NamesCompareWithoutLetterCaseAsWindowsDoes) {
    EXPECT_TRUE(EqualsNoCase(u"System32\\Config", u"SYSTEM32\\config"));
    EXPECT_TRUE(EqualsNoCase(u"Größe ÿ", u"GRößE Ÿ"));
    EXPECT_TRUE(EqualsNoCase(u"Łukasz Żółć", u"łUKASZ żÓŁĆ"));
    EXPECT_TRUE(EqualsNoCase(u"Κλειδί ως", u"ΚΛΕΙΔΊ ΩΣ"));
    EXPECT_TRUE(EqualsNoCase(u"Иван Ёж", u"иван ёж"));
    EXPECT_FALSE(EqualsNoCase(u"a", u"b"));
    EXPECT_FALSE(EqualsNoCase(u"ß", u"SS")) << "one character never becomes two";
    EXPECT_FALSE(EqualsNoCase(u"×", u"÷"));
    EXPECT_FALSE(EqualsNoCase(u"abc", u"ab"));
}

}  // namespace
}  // namespace veltrano
