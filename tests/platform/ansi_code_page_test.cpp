#include <gtest/gtest.h>

#include "platform/host.h"
#include "platform/offline/windows1252_code_page.h"

namespace veltrano {
namespace {

TEST(Windows1252CodePage, MapsLatinLettersAndTypographyAndRefusesTheRest) {
    Windows1252CodePage page;
    EXPECT_EQ(page.FromUtf16(u"report-1.xml"), "report-1.xml");
    EXPECT_EQ(page.FromUtf16(u"Stra\u00dfe \u00e4\u00ff"),
              "Stra\xdf"
              "e \xe4\xff");
    EXPECT_EQ(page.FromUtf16(u"\u20ac\u2026\u0178"), "\x80\x85\x9f");
    // The five holes of the code page are the C1 controls of the same value.
    EXPECT_EQ(page.FromUtf16(u"\u0081\u009d"), "\x81\x9d");
    EXPECT_EQ(page.FromUtf16(u"\u0080"), std::nullopt);
    EXPECT_EQ(page.FromUtf16(u"\u4e2d.txt"), std::nullopt);
    EXPECT_EQ(page.FromUtf16(u"\U0001F600"), std::nullopt);
    EXPECT_EQ(page.FromUtf16(u""), "");
}

// The host's code page (the system's under Windows and Wine) takes ASCII and refuses what it
// cannot show instead of substituting a look-alike.
TEST(HostAnsiCodePage, KeepsAsciiAndRefusesUnconvertibleText) {
    const auto page = MakeHostAnsiCodePage();
    EXPECT_EQ(page->FromUtf16(u"VTDir\\134089200000000000.xml"), "VTDir\\134089200000000000.xml");
    EXPECT_EQ(page->FromUtf16(u"\U0001F600"), std::nullopt);
    EXPECT_EQ(page->FromUtf16(u"\xD800"), std::nullopt);
}

}  // namespace
}  // namespace veltrano
