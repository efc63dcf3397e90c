#include "shell/local_texts.h"

#include <gtest/gtest.h>

namespace veltrano {
namespace {

constexpr uint16_t kEnglishUs = 0x0409;
constexpr uint16_t kGerman = 0x0407;
constexpr uint16_t kSwissGerman = 0x0807;
constexpr uint16_t kFrench = 0x040C;

TEST(LanguageChoice, FollowsTheUserLanguageWithoutOption) {
    InitLocalTexts(kGerman, u"");
    EXPECT_EQ(InterfaceLanguage(), kLanguageGerman);
    InitLocalTexts(kSwissGerman, u"");
    EXPECT_EQ(InterfaceLanguage(), kLanguageGerman);
    InitLocalTexts(kFrench, u"");
    EXPECT_EQ(InterfaceLanguage(), kLanguageEnglish);
    InitLocalTexts(kEnglishUs, u"");
    EXPECT_EQ(InterfaceLanguage(), kLanguageEnglish);
}

TEST(LanguageChoice, OptionOverridesTheUserLanguage) {
    InitLocalTexts(kEnglishUs, u"-lang:7");
    EXPECT_EQ(InterfaceLanguage(), kLanguageGerman);
    InitLocalTexts(kEnglishUs, u"-lang:0407");
    EXPECT_EQ(InterfaceLanguage(), kLanguageGerman);
    InitLocalTexts(kGerman, u"-lang:409");
    EXPECT_EQ(InterfaceLanguage(), kLanguageEnglish);
    // A positive value that selects neither language gives English without consulting the user.
    InitLocalTexts(kGerman, u"-lang:c");
    EXPECT_EQ(InterfaceLanguage(), kLanguageEnglish);
    // 0 and unreadable values fall back to the user's language.
    InitLocalTexts(kGerman, u"-lang:0");
    EXPECT_EQ(InterfaceLanguage(), kLanguageGerman);
    InitLocalTexts(kGerman, u"-lang:zz");
    EXPECT_EQ(InterfaceLanguage(), kLanguageGerman);
    // The value is read as "%x" reads it: a plus sign is allowed, a minus makes it negative.
    InitLocalTexts(kEnglishUs, u"-lang:+7");
    EXPECT_EQ(InterfaceLanguage(), kLanguageGerman);
    InitLocalTexts(kGerman, u"-lang:-9");
    EXPECT_EQ(InterfaceLanguage(), kLanguageGerman);
    EXPECT_EQ(ParseLanguageOption(u"-lang:-407"), -0x407);
    EXPECT_EQ(ParseLanguageOption(u"-lang:+-7"), -1);
}

TEST(LanguageOption, TokensAndCase) {
    EXPECT_EQ(ParseLanguageOption(u""), -1);
    EXPECT_EQ(ParseLanguageOption(u"-lang:"), -1);  // six characters: skipped
    EXPECT_EQ(ParseLanguageOption(u"-LANG:7"), -1);
    EXPECT_EQ(ParseLanguageOption(u"   -uninstall   -lang:407 x"), 0x407);
    EXPECT_EQ(ParseLanguageOption(u"-lang:7 -lang:9"), 7);   // the first one wins
    EXPECT_EQ(ParseLanguageOption(u"-lang:x -lang:9"), -1);  // the first long token stops
}

TEST(LocalText, FormatsPlaceholdersInBothLanguages) {
    InitLocalTexts(kEnglishUs, u"");
    EXPECT_EQ(LocalText(LT_AGO_DAYS, u"12"), u"12 days ago");
    EXPECT_EQ(LocalText(LT_ERRORS_FOUND, u"3", u"7"),
              u"3 errors found, occurred in the last 7 days");
    EXPECT_EQ(LocalText(LT_EXCEPTION_CODE) + u"c0000005", u"Exception Code returned was c0000005");
    EXPECT_EQ(LocalText(LT_WEB_PAGE), Text(kMakerWebHost) + u"/software/veltrano");
    InitLocalTexts(kGerman, u"");
    EXPECT_EQ(LocalText(LT_AGO_DAYS, u"12"), u"vor 12 Tagen");
    EXPECT_EQ(LocalText(LT_EXCEPTION_CODE), u"Der zurückgegebene Ausnahmecode war ");
    EXPECT_EQ(LocalText(LT_WEB_PAGE), Text(kMakerWebHost) + u"/software/veltrano/index-de.html");
    EXPECT_EQ(LocalText(LT_LIKE_QUESTION), u"Gefällt Ihnen Veltrano?");
}

TEST(LocalText, EntriesOutsideTheTableAreEmpty) {
    InitLocalTexts(kEnglishUs, u"");
    EXPECT_EQ(LocalText(LT_FILLED_ENTRIES), u"");
    EXPECT_EQ(LocalText(kLocalTextCapacity - 1), u"");
    EXPECT_EQ(LocalText(kLocalTextCapacity), u"");
    EXPECT_EQ(LocalText(-1), u"");
}

}  // namespace
}  // namespace veltrano
