// The expectations follow FormatMessageW on Windows (as Wine's conformance tests record it).
#include "platform/offline/messages/format_message.h"

#include <gtest/gtest.h>

namespace veltrano {
namespace {

std::optional<Text> Ignoring(TextView message) {
    return FormatMessageText(message, nullptr);
}

std::optional<Text> With(TextView message, std::vector<Text> arguments) {
    return FormatMessageText(message, &arguments);
}

TEST(FormatMessage, InsertsComeFromTheArgumentArray) {
    EXPECT_EQ(With(u"%1%3%2%1", {u"t", u"s", u"e"}), u"test");
    EXPECT_EQ(With(u"%1!s! and %2!ls!", {u"one", u"two"}), u"one and two");
    std::vector<Text> many;
    for (int i = 1; i <= 12; ++i)
        many.push_back(Text(u"a").append(DecimalText(i)));
    EXPECT_EQ(With(u"%10|%11|%1|%100", many), u"a10|a11|a1|a100") << "two digits at most";
    EXPECT_EQ(With(u"%12%9", many), u"a12a9");
    EXPECT_EQ(With(u"%1 and %4", {u"x", u"y"}), u"x and %4") << "an insert past the array stays";
    EXPECT_EQ(With(u"%3!5s!", {u"x"}), u"%3!5s!");
    EXPECT_EQ(With(u"%1", {u"%2 %n %%1234"}), u"%2 %n %%1234") << "inserted text is not read again";
}

TEST(FormatMessage, EscapesWithInserts) {
    EXPECT_EQ(With(u" %%%% ", {}), u" %% ");
    EXPECT_EQ(With(u" %.%. %1", {u"x"}), u" .. x");
    EXPECT_EQ(With(u"yah%!%0   ", {}), u"yah!");
    EXPECT_EQ(With(u"% %   ", {}), u"    ");
    EXPECT_EQ(With(u"%n%r%t", {}), u"\r\n\r\t");
    EXPECT_EQ(With(u"test%0test", {}), u"test");
    EXPECT_EQ(With(u"%q", {}), u"q");
    EXPECT_EQ(With(u"%%1", {u"x"}), u"%1") << "a doubled percent sign protects the digit";
}

TEST(FormatMessage, EscapesWithInsertsIgnored) {
    EXPECT_EQ(Ignoring(u"test%1%2!*.*s!%99"), u"test%1%2!*.*s!%99");
    EXPECT_EQ(Ignoring(u"%%% %.%!"), u"%%% %.%!");
    EXPECT_EQ(Ignoring(u"%n%r%t"), u"\r\n\r\t");
    EXPECT_EQ(Ignoring(u"test%0test"), u"test");
    EXPECT_EQ(Ignoring(u"Report Id: %%1234%n"), u"Report Id: %%1234\r\n");
}

TEST(FormatMessage, LineBreaksBecomeCarriageReturnLineFeed) {
    const std::vector<Text> none;
    for (const auto* arguments : {static_cast<const std::vector<Text>*>(nullptr), &none}) {
        EXPECT_EQ(FormatMessageText(u"hi\n", arguments), u"hi\r\n");
        EXPECT_EQ(FormatMessageText(u"hi\r\n", arguments), u"hi\r\n");
        EXPECT_EQ(FormatMessageText(u"\r", arguments), u"\r\n");
        EXPECT_EQ(FormatMessageText(u"\r\r\n", arguments), u"\r\n\r\n");
        EXPECT_EQ(FormatMessageText(u"\nfirst\nsecond", arguments), u"\r\nfirst\r\nsecond");
    }
    EXPECT_EQ(With(u"%1", {u"a\nb"}), u"a\nb") << "inserts keep their own line breaks";
}

TEST(FormatMessage, FailsWhereWindowsFails) {
    EXPECT_FALSE(Ignoring(u""));
    EXPECT_FALSE(Ignoring(u"%0test")) << "nothing before the end mark";
    EXPECT_FALSE(Ignoring(u"%"));
    EXPECT_FALSE(With(u"test%", {})) << "a percent sign at the very end";
    EXPECT_FALSE(With(u"%1", {u""})) << "an empty result";
}

TEST(FormatMessage, PrintfFormatsApplyToTheTexts) {
    EXPECT_EQ(With(u"[%1!5s!]", {u"ab"}), u"[   ab]");
    EXPECT_EQ(With(u"[%1!-5s!]", {u"ab"}), u"[ab   ]");
    EXPECT_EQ(With(u"[%1!.2s!]", {u"abcdef"}), u"[ab]");
    EXPECT_EQ(With(u"[%1!3.1ls!]", {u"abcdef"}), u"[  a]");
    EXPECT_EQ(With(u"[%1!c!%1!wc!]", {u"xyz"}), u"[xx]");
    EXPECT_EQ(With(u"[%1!c!]", {u""}), u"[]");
    EXPECT_EQ(With(u"[%1!4d!][%1!I64x!][%1!lu!]", {u"17"}), u"[  17][17][17]")
        << "numbers arrive as their text";
    EXPECT_EQ(With(u"[%1!s]", {u"ab"}), u"[ab")
        << "a format without its closing mark runs to the end";
    EXPECT_EQ(With(u"[%1!!]", {u"ab"}), u"[ab]");
}

TEST(FormatMessage, StarWidthsCountArgumentsAsFormatMessageDoes) {
    // With an argument array, "*" takes the insert's own argument and moves on from the
    // highest argument used so far.
    const std::vector<Text> args = {u"6", u"4", u"abcdef", u"5", u"3", u"xyz"};
    EXPECT_EQ(FormatMessageText(u"[%1!*.*s!]", &args), u"[  abcd]");
    EXPECT_EQ(FormatMessageText(u"[%1!*.*s!],[%1!*.*s!]", &args), u"[  abcd],[     3]");
    EXPECT_EQ(FormatMessageText(u"[%1!*s!],[%4!*s!]", &args), u"[     4],[    3]");
    EXPECT_EQ(With(u"[%1!*s!]", {u"3"}), u"[%1!*s!]") << "the value's argument is missing";
}

TEST(FormatMessage, OutputIsCappedAtTheWindowsLimit) {
    const Text big(20000, u'x');
    const auto text = With(u"%1%1%1%1%1%1%1%1%1%1", {big});
    ASSERT_TRUE(text);
    EXPECT_EQ(text->size(), kMaxFormattedMessage);
    EXPECT_EQ(With(u"%1!99999999s!", {u"a"})->size(), kMaxFormattedMessage);
    EXPECT_EQ(Ignoring(Text(40000, u'\n'))->size(), kMaxFormattedMessage);
}

}  // namespace
}  // namespace veltrano
