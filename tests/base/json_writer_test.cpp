#include "base/json_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>

namespace veltrano {
namespace {

// An independent reader of one JSON string literal, as JSON.parse reads it: UTF-8 and \u escapes
// (a pair of escaped surrogates is one code point) back to UTF-16. Nothing for anything JSON
// forbids: a raw control, a lone backslash, a bad escape, text after the closing quote.
std::optional<Text> ReadJsonString(const std::string& json) {
    if (json.size() < 2 || json.front() != '"' || json.back() != '"')
        return std::nullopt;
    std::string utf8;
    Text units;
    auto flush = [&] {
        units += Utf8ToUtf16(utf8);
        utf8.clear();
    };
    for (size_t i = 1; i + 1 < json.size(); ++i) {
        const char c = json[i];
        if (static_cast<unsigned char>(c) < 0x20 || c == '"')
            return std::nullopt;
        if (c != '\\') {
            utf8 += c;
            continue;
        }
        if (++i + 1 >= json.size())
            return std::nullopt;
        flush();
        switch (json[i]) {
            case '"':
                units += u'"';
                break;
            case '\\':
                units += u'\\';
                break;
            case '/':
                units += u'/';
                break;
            case 'b':
                units += u'\b';
                break;
            case 'f':
                units += u'\f';
                break;
            case 'n':
                units += u'\n';
                break;
            case 'r':
                units += u'\r';
                break;
            case 't':
                units += u'\t';
                break;
            case 'u': {
                if (i + 4 >= json.size())
                    return std::nullopt;
                char16_t unit = 0;
                for (int k = 1; k <= 4; ++k) {
                    const int digit = HexDigitValue(static_cast<char16_t>(json[i + k]));
                    if (digit < 0)
                        return std::nullopt;
                    unit = static_cast<char16_t>(unit * 16 + digit);
                }
                units += unit;
                i += 4;
                break;
            }
            default:
                return std::nullopt;
        }
    }
    flush();
    return units;
}

TEST(JsonEscaping, EscapesQuotesBackslashesAndEveryControl) {
    EXPECT_EQ(JsonString(u"say \"hi\" \\ bye"), R"("say \"hi\" \\ bye")");
    EXPECT_EQ(JsonString(u"a\nb\rc\td"), R"("a\nb\rc\td")");
    // The other controls have no short form here: \b and \f are written as \u escapes.
    EXPECT_EQ(JsonString(Text(u"\x01\b\f\x1f", 4)), R"("\u0001\u0008\u000c\u001f")");
    EXPECT_EQ(JsonString(Text(1, u'\0')), R"("\u0000")");
    // DEL, '/' and the markup characters are fine in plain JSON.
    EXPECT_EQ(JsonString(u"\x7f/<a>&"), "\"\x7f/<a>&\"");
    EXPECT_EQ(JsonString(u""), "\"\"");
}

TEST(JsonEscaping, WritesUtf8AndReplacesLoneSurrogates) {
    EXPECT_EQ(JsonString(u"\u00e4\u20ac"), "\"\xc3\xa4\xe2\x82\xac\"");
    EXPECT_EQ(JsonString(u"\U0001F600"), "\"\xf0\x9f\x98\x80\"");
    const std::string replacement = "\xef\xbf\xbd";
    EXPECT_EQ(JsonString(Text{0xD83D}), "\"" + replacement + "\"");
    EXPECT_EQ(JsonString(Text{0xDE00, u'x'}), "\"" + replacement + "x\"");
    // Two highs: the first is lone, the second pairs with the low after it.
    EXPECT_EQ(JsonString(Text{0xD83D, 0xD83D, 0xDE00}), "\"" + replacement + "\xf0\x9f\x98\x80\"");
    EXPECT_EQ(JsonString(u"\u2028"), "\"\xe2\x80\xa8\"");
}

TEST(JsonEscaping, ScriptSafeKeepsTheScriptElementOpen) {
    const auto safe = [](TextView text) { return JsonString(text, JsonEscaping::ScriptSafe); };
    EXPECT_EQ(safe(u"</script><!--&"), R"("\u003c/script\u003e\u003c!--\u0026")");
    EXPECT_EQ(safe(u"\u2028\u2029"), R"("\u2028\u2029")");
    EXPECT_EQ(safe(Text{0xDC00, u'a', 0xD800}), R"("\udc00a\ud800")");
    EXPECT_EQ(safe(u"\U0001F600 \u00e4"), "\"\xf0\x9f\x98\x80 \xc3\xa4\"");
    EXPECT_EQ(safe(u"\"\\\n\x01"), R"("\"\\\n\u0001")");
}

// Every code unit, alone and between others: the literal reads back as the text (with U+FFFD for
// a lone surrogate in plain JSON), and the script-safe one never holds what ends a script.
TEST(JsonEscaping, EveryUnitReadsBack) {
    for (uint32_t u = 0; u <= 0xFFFF; ++u) {
        const Text text{u'a', static_cast<char16_t>(u), u'b'};
        const bool lone = IsSurrogate(static_cast<char16_t>(u));
        const Text plainExpected{u'a', lone ? char16_t{0xFFFD} : static_cast<char16_t>(u), u'b'};
        ASSERT_EQ(ReadJsonString(JsonString(text)), plainExpected) << u;
        const std::string safe = JsonString(text, JsonEscaping::ScriptSafe);
        ASSERT_EQ(ReadJsonString(safe), text) << u;
        ASSERT_EQ(safe.find_first_of("<>&"), std::string::npos) << u;
        ASSERT_EQ(safe.find("\xe2\x80\xa8"), std::string::npos);
        ASSERT_EQ(safe.find("\xe2\x80\xa9"), std::string::npos);
    }
    const Text pairs = u"\U00010000\U0010FFFF\U0001F600";
    EXPECT_EQ(ReadJsonString(JsonString(pairs)), pairs);
    EXPECT_EQ(ReadJsonString(JsonString(pairs, JsonEscaping::ScriptSafe)), pairs);
}

TEST(JsonWriter, PutsCommasBetweenItemsAtEveryDepth) {
    JsonWriter json(JsonWriter::kCompact);
    json.BeginObject().Key("a").Number(1).Key("b").BeginArray();
    json.Bool(true).Bool(false).Null().BeginArray().EndArray().BeginObject().EndObject();
    json.EndArray().Key("c").BeginObject().Key("d").String(u"x").EndObject();
    json.Key("e").String("utf8 \xc3\xa4").EndObject();
    EXPECT_EQ(json.text(),
              "{\"a\":1,\"b\":[true,false,null,[],{}],\"c\":{\"d\":\"x\"},\"e\":\"utf8 "
              "\xc3\xa4\"}");
}

TEST(JsonWriter, NumbersOfEveryWidth) {
    JsonWriter json;
    json.BeginArray().Number(std::numeric_limits<int64_t>::min());
    json.Number(std::numeric_limits<uint64_t>::max()).Number(uint8_t{200}).Number(-1);
    EXPECT_EQ(json.EndArray().Take(), "[-9223372036854775808, 18446744073709551615, 200, -1]");
}

TEST(JsonWriter, SpacingAndLineBreaksAreTheCallers) {
    JsonWriter json;
    json.BeginObject().NewLine("  ").Key("list").BeginArray();
    for (int i = 0; i < 2; ++i)
        json.NewLine("    ").BeginObject().Key("n").Number(i).Key("m").Number(i).EndObject();
    json.NewLine("  ").EndArray().NewLine("  ").Key("empty").BeginArray().EndArray();
    json.NewLine("").EndObject();
    EXPECT_EQ(json.text(),
              "{\n  \"list\": [\n    {\"n\": 0, \"m\": 0},\n    {\"n\": 1, \"m\": 1}\n  "
              "],\n  \"empty\": []\n}");
}

TEST(JsonWriter, KeysFromTheDataAreEscapedRawValuesAreNot) {
    JsonWriter json(JsonWriter::kSpaced, JsonEscaping::ScriptSafe);
    json.BeginObject().Key(TextView(u"a\"<b>")).Value("{\"x\": 1}").Key("given").String(u"<");
    EXPECT_EQ(json.EndObject().text(), R"({"a\"\u003cb\u003e": {"x": 1}, "given": "\u003c"})");
}

TEST(JsonWriter, VerbatimTextTakesNoCommasPlace) {
    JsonWriter json(JsonWriter::kCompact);
    json.BeginArray();
    for (int i = 0; i < 3; ++i)
        json.Verbatim("\n").BeginObject().EndObject();
    EXPECT_EQ(json.EndArray().text(), "[\n{}\n,{}\n,{}]");
}

}  // namespace
}  // namespace veltrano
