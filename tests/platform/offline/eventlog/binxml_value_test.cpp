#include "platform/offline/eventlog/binxml_value.h"

#include <gtest/gtest.h>

#include <bit>
#include <initializer_list>

#include "base/byte_store.h"

namespace veltrano::eventlog {
namespace {

struct Owned {
    std::vector<uint8_t> bytes;
    BinXmlValue value;
};

Owned Make(uint8_t type, std::initializer_list<uint8_t> bytes) {
    Owned o{bytes, {}};
    o.value = BinXmlValue{type, o.bytes};
    return o;
}

template <typename T>
Owned Number(uint8_t type, T v) {
    Owned o;
    for (size_t i = 0; i < sizeof(T); ++i) {
        o.bytes.push_back(static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * i)));
    }
    o.value = BinXmlValue{type, o.bytes};
    return o;
}

Owned Utf16(uint8_t type, std::u16string_view text) {
    Owned o;
    AppendUtf16Le(o.bytes, text);
    o.value = BinXmlValue{type, o.bytes};
    return o;
}

Text TextOf(const Owned& o) {
    Text t;
    AppendValueText(t, o.value);
    return t;
}

TEST(BinXmlValueTest, RendersNumbersAsWindowsShowsThem) {
    EXPECT_EQ(TextOf(Number<int8_t>(kValueInt8, -5)), u"-5");
    EXPECT_EQ(TextOf(Number<uint8_t>(kValueUInt8, 200)), u"200");
    EXPECT_EQ(TextOf(Number<int16_t>(kValueInt16, -300)), u"-300");
    EXPECT_EQ(TextOf(Number<uint16_t>(kValueUInt16, 65535)), u"65535");
    EXPECT_EQ(TextOf(Number<int32_t>(kValueInt32, -1)), u"-1");
    EXPECT_EQ(TextOf(Number<uint32_t>(kValueUInt32, 4000000000u)), u"4000000000");
    EXPECT_EQ(TextOf(Number<int64_t>(kValueInt64, -9000000000)), u"-9000000000");
    EXPECT_EQ(TextOf(Number<uint64_t>(kValueUInt64, ~0ull)), u"18446744073709551615");
    EXPECT_EQ(TextOf(Number<uint32_t>(kValueHexInt32, 0xC0000005u)), u"0xc0000005");
    EXPECT_EQ(TextOf(Number<uint32_t>(kValueHexInt32, 0)), u"0x0");
    EXPECT_EQ(TextOf(Number<uint64_t>(kValueHexInt64, 0x3e7)), u"0x3e7");
    EXPECT_EQ(TextOf(Number<uint32_t>(kValueSizeT, 0x1000)), u"0x1000");
    EXPECT_EQ(TextOf(Number<uint64_t>(kValueSizeT, 0x7ff6a0000000ull)), u"0x7ff6a0000000");
    EXPECT_EQ(TextOf(Number<uint32_t>(kValueBool, 1)), u"true");
    EXPECT_EQ(TextOf(Number<uint32_t>(kValueBool, 0)), u"false");
    EXPECT_EQ(TextOf(Number<uint32_t>(kValueReal32, std::bit_cast<uint32_t>(0.1f))), u"0.1");
    EXPECT_EQ(TextOf(Number<uint64_t>(kValueReal64, std::bit_cast<uint64_t>(-2.5))), u"-2.5");
    // A value whose size does not fit its type has no text.
    EXPECT_EQ(TextOf(Make(kValueUInt32, {1, 2})), u"");
    EXPECT_EQ(TextOf(Make(kValueSizeT, {1, 2, 3})), u"");
}

TEST(BinXmlValueTest, RendersIdentifiersTimesAndBinaryData) {
    EXPECT_EQ(TextOf(Make(kValueGuid, {0x09, 0xdc, 0x4f, 0x0d, 0x27, 0x8c, 0x94, 0x49, 0xbd, 0xa0,
                                       0x50, 0x5e, 0x4f, 0xd8, 0xad, 0xae})),
              u"{0D4FDC09-8C27-4994-BDA0-505E4FD8ADAE}");
    EXPECT_EQ(TextOf(Make(kValueSid, {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0})), u"S-1-5-18");
    EXPECT_EQ(TextOf(Make(kValueSid, {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0})),
              u"S-1-5-32-544");
    EXPECT_EQ(TextOf(Make(kValueSid, {1, 0, 1, 2, 3, 4, 5, 6})), u"S-1-0x10203040506");
    EXPECT_EQ(TextOf(Make(kValueSid, {1, 3, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0})), u"") << "cut short";
    // 2024-01-31T12:34:56.1234567Z
    const FileTime t = *CalendarToFileTime({2024, 1, 31, 12, 34, 56, 0}) + 1'234'567;
    EXPECT_EQ(TextOf(Number<uint64_t>(kValueFileTime, t)), u"2024-01-31T12:34:56.1234567Z");
    EXPECT_EQ(TextOf(Make(kValueSystemTime,
                          {0xE8, 0x07, 2, 0, 4, 0, 29, 0, 23, 0, 59, 0, 58, 0, 0xE7, 0x03})),
              u"2024-02-29T23:59:58.9990000Z");
    EXPECT_EQ(
        TextOf(Make(kValueSystemTime, {0xE8, 0x07, 13, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0})),
        u"")
        << "month 13";
    EXPECT_EQ(TextOf(Make(kValueBinary, {0x00, 0xAB, 0x7F})), u"00AB7F");
    EXPECT_EQ(TextOf(Utf16(kValueString, std::u16string_view(u"text\0rest", 9))), u"text");
    EXPECT_EQ(TextOf(Make(kValueAnsiString, {'a', 0x80, 0xE9, 0, 'x'})), u"a\u20AC\u00E9");
}

TEST(BinXmlValueTest, ArraysAreCommaSeparatedTextOrItemByItem) {
    const auto strings = Utf16(kValueString | kValueArray, std::u16string_view(u"a\0\0b c", 6));
    EXPECT_EQ(TextOf(strings), u"a,,b c");
    std::vector<Text> items;
    ForEachArrayItem(strings.value, [&](const BinXmlValue& item) {
        EXPECT_EQ(item.type, kValueString);
        items.push_back(TextOf(Owned{{}, item}));
    });
    EXPECT_EQ(items, (std::vector<Text>{u"a", u"", u"b c"}));
    EXPECT_EQ(TextOf(Make(kValueUInt16 | kValueArray, {1, 0, 2, 0, 0xFF, 0xFF})), u"1,2,65535");
    EXPECT_EQ(TextOf(Make(kValueUInt16 | kValueArray, {1, 0, 2})), u"") << "odd size";
    size_t count = 0;
    ForEachArrayItem(Make(kValueString | kValueArray, {}).value,
                     [&](const BinXmlValue&) { ++count; });
    EXPECT_EQ(count, 0u);
}

TEST(BinXmlValueTest, ReadsNumbersAndTimesFromTypedValuesAndText) {
    EXPECT_EQ(ValueNumber(Number<uint16_t>(kValueUInt16, 7036).value), 7036u);
    EXPECT_EQ(ValueNumber(Number<uint64_t>(kValueHexInt64, 0x80).value), 0x80u);
    EXPECT_EQ(ValueNumber(Utf16(kValueString, u" 1000 ").value), 1000u);
    EXPECT_EQ(ValueNumber(Utf16(kValueString, u"0x4000").value), 0x4000u);
    EXPECT_FALSE(ValueNumber(Utf16(kValueString, u"12a").value));
    EXPECT_FALSE(ValueNumber(Utf16(kValueString, u"").value));
    EXPECT_FALSE(ValueNumber(Make(kValueUInt16, {1}).value));
    EXPECT_FALSE(ValueNumber(Make(kValueGuid, {}).value));

    const FileTime t = *CalendarToFileTime({2021, 11, 19, 16, 52, 33, 0});
    EXPECT_EQ(ValueTime(Number<uint64_t>(kValueFileTime, t + 5).value), t + 5);
    EXPECT_EQ(ValueTime(Utf16(kValueString, u"2021-11-19T16:52:33.8337335Z").value), t + 8'337'335);
    EXPECT_EQ(ValueTime(Utf16(kValueString, u"2021-11-19 16:52:33").value), t);
    EXPECT_FALSE(ValueTime(Utf16(kValueString, u"2021-11-19").value));
    EXPECT_FALSE(ValueTime(Utf16(kValueString, u"2021-02-30T00:00:00Z").value));
}

}  // namespace
}  // namespace veltrano::eventlog
