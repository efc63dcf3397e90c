// The link control's markup: taken apart, and shown by the real control with fonts whose break
// characters differ.
#include "framework/link_control.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "framework/gdi.h"
#include "framework/link_markup.h"

namespace veltrano {
namespace {

TEST(LinkMarkupTest, AcceptedTagsLoseTheirAttributesAndTheRestStaysText) {
    struct Case {
        TextView markup;
        TextView text;
        std::vector<LinkMarkup::Link> links;
    };
    const Case cases[] = {
        {u"<a href=\"http://x/y\">x/y</a>", u"<a>x/y</a>", {{u"", u"http://x/y"}}},
        {u"Go <A ID=\"d\"  HREF=\"u\">here</A>\r\n", u"Go <a>here</a>\r\n", {{u"d", u"u"}}},
        {u"Click <a>here</a> or <a id=\"b\">there</a>",
         u"Click <a>here</a> or <a>there</a>",
         {{u"", u""}, {u"b", u""}}},
        // Tags the control would not take are text, and count no link.
        {u"<a title=\"t\">x</a>", u"<a title=\"t\">x</a>", {}},
        {u"<a href=\"open>x</a>", u"<a href=\"open>x</a>", {}},
        {u"<abbr>x</abbr>", u"<abbr>x</abbr>", {}},
        {u"<a href=\"u\"", u"<a href=\"u\"", {}},
        // A link without text or without its end is none.
        {u"<a id=\"e\"></a><a id=\"f\">f</a>", u"<a></a><a>f</a>", {{u"f", u""}}},
        {u"<a id=\"g\">open", u"<a>open", {}},
    };
    for (const Case& c : cases) {
        const LinkMarkup parsed = ParseLinkMarkup(c.markup);
        EXPECT_EQ(parsed.text, c.text) << Utf16ToUtf8(c.markup);
        ASSERT_EQ(parsed.links.size(), c.links.size()) << Utf16ToUtf8(c.markup);
        for (size_t i = 0; i < c.links.size(); ++i) {
            EXPECT_EQ(parsed.links[i].id, c.links[i].id) << Utf16ToUtf8(c.markup);
            EXPECT_EQ(parsed.links[i].url, c.links[i].url) << Utf16ToUtf8(c.markup);
        }
    }
}

class LinkControlTest : public ::testing::Test {
  protected:
    LinkControlTest() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LINK_CLASS};
        ::InitCommonControlsEx(&controls);
        link_.Attach(::CreateWindowExW(0, WC_LINK, L"", WS_POPUP, 0, 0, 300, 40, nullptr, nullptr,
                                       nullptr, nullptr));
    }
    ~LinkControlTest() override { ::DestroyWindow(link_.hwnd()); }

    static LITEM Link(HWND control, int index) {
        LITEM item{};
        item.mask = LIF_ITEMINDEX | LIF_ITEMID | LIF_URL;
        item.iLink = index;
        if (!::SendMessageW(control, LM_GETITEM, 0, reinterpret_cast<LPARAM>(&item)))
            item.iLink = -1;
        return item;
    }

    CLinkCtrl link_;
};

// The face Wine gives a dialog font request, and that face's break character.
struct FaceFacts {
    Text face;
    WCHAR breakChar = 0;
    WCHAR firstChar = 0;
    LONG averageWidth = 0;
};
FaceFacts FactsOf(HFONT font) {
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, font);
    WCHAR face[LF_FACESIZE] = {};
    ::GetTextFaceW(dc, LF_FACESIZE, face);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    return {FromWide(face), metrics.tmBreakChar, metrics.tmFirstChar, metrics.tmAveCharWidth};
}

HFONT MakeFont(const wchar_t* face) {
    LOGFONTW request{};
    request.lfHeight = -11;
    ::lstrcpynW(request.lfFaceName, face, LF_FACESIZE);
    return ::CreateFontIndirectW(&request);
}

// Run in both test prefixes: where the System font breaks at the space and where it breaks at "!".
TEST_F(LinkControlTest, IdentifiersAndAddressesReachTheControl) {
    ScopedFont font(MakeFont(L"MS Shell Dlg"));
    link_.SetFont(reinterpret_cast<HFONT>(font.get()));
    link_.SetMarkup(
        u"See <a href=\"http://www.brenlow.example/\">the page</a> or "
        u"<a id=\"details\">the details</a>");
    const LITEM page = Link(link_.hwnd(), 0);
    const LITEM details = Link(link_.hwnd(), 1);
    EXPECT_EQ(page.iLink, 0);
    EXPECT_EQ(FromWide(page.szUrl), u"http://www.brenlow.example/");
    EXPECT_EQ(FromWide(page.szID), u"");
    EXPECT_EQ(details.iLink, 1);
    EXPECT_EQ(FromWide(details.szID), u"details");
    EXPECT_EQ(Link(link_.hwnd(), 2).iLink, -1);
    link_.SetMarkup(u"");
    EXPECT_EQ(Link(link_.hwnd(), 0).iLink, -1);
}

// Each test prefix pins its dialog font (cmake/wine-run.sh): the window tests run with the face
// they are meant to run with, or fail here when the machine lacks it.
TEST(WindowFontTest, DialogFontIsThePrefixsPinnedFace) {
    const char* pinned = std::getenv("VELTRANO_WINE_FONT");
    ASSERT_NE(pinned, nullptr) << "run through cmake/wine-run.sh";
    const Text face = Utf8ToUtf16(pinned);
    ScopedFont pinnedFont(MakeFont(Wide(face)));
    ScopedFont dialogFont(MakeFont(L"MS Shell Dlg"));
    const FaceFacts expected = FactsOf(reinterpret_cast<HFONT>(pinnedFont.get()));
    const FaceFacts dialog = FactsOf(reinterpret_cast<HFONT>(dialogFont.get()));
    ASSERT_EQ(expected.face, face) << "the font is not installed";
    // A substitute keeps the requested name, so the faces are told apart by their metrics. The
    // System font is what a fresh device context measures with, the link control's among them.
    for (const FaceFacts& seen :
         {dialog, FactsOf(static_cast<HFONT>(::GetStockObject(SYSTEM_FONT)))}) {
        EXPECT_EQ(seen.breakChar, expected.breakChar) << Utf16ToUtf8(seen.face);
        EXPECT_EQ(seen.firstChar, expected.firstChar) << Utf16ToUtf8(seen.face);
    }
    EXPECT_EQ(dialog.averageWidth, expected.averageWidth);
}

}  // namespace
}  // namespace veltrano
