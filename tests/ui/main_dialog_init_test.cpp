// The main window as it opens: toolbar, layout, size, settings, menu and font.
#include <gtest/gtest.h>

#include "app/font_occ_manager.h"
#include "app/veltrano_app.h"
#include "framework/dialog_template.h"
#include "layout/layout.h"
#include "ui_fixture.h"

namespace veltrano {
namespace {
using testing::UiTest;

constexpr char16_t kSettingsKey[] = u"Software\\Brenlow\\Veltrano";

Text Key(const char16_t* value) {
    return Text(kSettingsKey) + u"|" + value;
}

class MainDialogInitTest : public UiTest {
  protected:
    // The template's size in pixels, as the window has it before it is enlarged.
    SIZE TemplateWindowSize() {
        RECT r{0, 0, 541, 306};
        ::MapDialogRect(dialog->hwnd(), &r);
        const auto style = static_cast<DWORD>(::GetWindowLongPtrW(dialog->hwnd(), GWL_STYLE));
        const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(dialog->hwnd(), GWL_EXSTYLE));
        ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
        return {Width(r), Height(r)};
    }
};

TEST_F(MainDialogInitTest, ToolBarButtonsTextsAndGroup) {
    Open();
    CToolBar& bar = dialog->ToolBar();
    ASSERT_EQ(bar.ButtonCount(), 11);
    const int ids[] = {32773, 0, 32774, 0, 32775, 0, 32776, 0, 32777, 0, 32788};
    const char16_t* texts[] = {u"Last Week", u"Last Month", u"6 Months",
                               u"All",       u"Google",     u"Info"};
    for (int i = 0; i < 11; ++i) {
        const TBBUTTON button = bar.Button(i);
        EXPECT_EQ(button.idCommand, ids[i]) << i;
        if (i % 2 == 0) {
            EXPECT_EQ(bar.ButtonText(i), texts[i / 2]);
        }
        if (i < 8 && i % 2 == 0) {
            EXPECT_EQ(button.fsStyle & BTNS_CHECKGROUP, BTNS_CHECKGROUP);
        } else if (i < 8) {
            EXPECT_EQ(button.fsStyle, 7);
        }
    }
    EXPECT_TRUE(bar.IsButtonHidden(32777));
    EXPECT_TRUE(bar.IsButtonEnabled(32788));
}

TEST_F(MainDialogInitTest, InfoStaysThirtyPixelsFromTheRightEdge) {
    Open();
    for (int width : {900, 1200, 700}) {
        ::SetWindowPos(dialog->hwnd(), nullptr, 0, 0, width, 600, SWP_NOMOVE | SWP_NOZORDER);
        UiTest::Pump();
        const RECT info = dialog->ToolBar().ItemRect(10);
        // (The window manager may cap the width at the screen's.)
        EXPECT_EQ(info.right, Width(dialog->WindowRect()) - 30) << width;
    }
}

TEST_F(MainDialogInitTest, GermanTextsAndLookupFace) {
    system.language = 0x0407;
    InitLocalTexts(system.language, u"");
    Open();
    EXPECT_EQ(dialog->ToolBar().ButtonText(0), u"Letzte Woche");
    EXPECT_EQ(dialog->ToolBar().ButtonText(6), u"Alle");
    // The German face differs from the English one; the button shows the German bitmap.
    auto bits = [](HBITMAP bitmap) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = 346;
        info.bmiHeader.biHeight = 46;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        std::vector<uint32_t> pixels(346 * 46);
        HDC dc = ::GetDC(nullptr);
        ::GetDIBits(dc, bitmap, 0, 46, pixels.data(), &info, DIB_RGB_COLORS);
        ::ReleaseDC(nullptr, dc);
        return pixels;
    };
    auto shown = reinterpret_cast<HBITMAP>(
        ::SendMessageW(Item(IDC_LOOKUP_BUTTON), BM_GETIMAGE, IMAGE_BITMAP, 0));
    ScopedGdiObject german(::LoadImageW(AppInstance(), MAKEINTRESOURCEW(IDB_LOOKUP_DE),
                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ScopedGdiObject english(::LoadImageW(AppInstance(), MAKEINTRESOURCEW(IDB_LOOKUP_EN),
                                         IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    EXPECT_EQ(bits(shown), bits(static_cast<HBITMAP>(german.get())));
    EXPECT_NE(bits(shown), bits(static_cast<HBITMAP>(english.get())));
}

TEST_F(MainDialogInitTest, SplitContainersAnchorsAndGrip) {
    Open();
    CWndResizer& layout = dialog->Layout();
    auto* main = layout.FindPanelAs<CWndResizer::CSplitContainer>(u"MainSplitter");
    auto* lower = layout.FindPanelAs<CWndResizer::CSplitContainer>(u"LowerSplitter");
    auto* lowerLeft = layout.FindPanelAs<CWndResizer::CSplitContainer>(u"LowerLeftSplitter");
    ASSERT_TRUE(main && lower && lowerLeft);
    EXPECT_EQ(main->GetOrientation(), SplitStacked);
    EXPECT_EQ(lower->GetOrientation(), SplitSideBySide);
    EXPECT_EQ(lowerLeft->GetOrientation(), SplitStacked);
    EXPECT_EQ(lowerLeft->GetFixedPanel(), FixedSecond);
    EXPECT_TRUE(lowerLeft->IsSplitterFixed());
    EXPECT_EQ(layout.UIPanelFor(IDC_LOOKUP_BUTTON)->GetAnchor(), AnchorRight | AnchorBottom);
    EXPECT_EQ(layout.UIPanelFor(IDC_ANIMATION)->GetAnchor(), AnchorTop | AnchorCenterHorizontal);
    EXPECT_EQ(layout.UIPanelFor(IDC_BANNER)->GetParent()->GetName(), u"");  // the list's own panel
    EXPECT_TRUE(layout.FindPanelAs<CWndResizer::CVisualPanel>(u"_resizeGrip")->IsVisible());

    // The controls follow a resize: the list grows, the lookup button keeps its corner distance.
    const RECT before = CWindow(Item(IDC_ERROR_LIST)).WindowRect();
    const RECT client = dialog->ClientRect();
    const RECT button = CWindow(Item(IDC_LOOKUP_BUTTON)).RectIn(dialog->hwnd());
    RECT window = dialog->WindowRect();
    ::SetWindowPos(dialog->hwnd(), nullptr, 0, 0, Width(window) + 100, Height(window) + 80,
                   SWP_NOMOVE | SWP_NOZORDER);
    UiTest::Pump();
    const RECT after = CWindow(Item(IDC_ERROR_LIST)).WindowRect();
    EXPECT_EQ(Width(after), Width(before) + 100);
    const RECT client2 = dialog->ClientRect();
    const RECT button2 = CWindow(Item(IDC_LOOKUP_BUTTON)).RectIn(dialog->hwnd());
    EXPECT_EQ(client2.right - button2.right, client.right - button.right);
    EXPECT_EQ(client2.bottom - button2.bottom, client.bottom - button.bottom);
}

TEST_F(MainDialogInitTest, FirstStartOpensEnlargedAtTheOrigin) {
    Open();
    const RECT window = dialog->WindowRect();
    const SIZE design = TemplateWindowSize();
    EXPECT_EQ(window.left, 0);
    EXPECT_EQ(window.top, 0);
    EXPECT_EQ(Width(window), static_cast<int>(design.cx * 1.2));
    EXPECT_EQ(Height(window), static_cast<int>(design.cy * 1.15));
}

TEST_F(MainDialogInitTest, SmallStoredSizeIsRaisedAndTheSplitterReset) {
    m.registry.userDwords[Key(u"DlgHeight")] = 200;
    m.registry.userDwords[Key(u"DlgWidth")] = 400;
    m.registry.userDwords[Key(u"SplitPos")] = 300;
    Open();
    const RECT window = dialog->WindowRect();
    EXPECT_EQ(Width(window), 500);
    EXPECT_EQ(Height(window), 250);
    EXPECT_EQ(dialog->Layout().GetSplitPosition(u"MainSplitter"), 120);
}

TEST_F(MainDialogInitTest, AnyStoredZeroRestoresNothing) {
    m.registry.userDwords[Key(u"DlgHeight")] = 700;
    m.registry.userDwords[Key(u"DlgWidth")] = 0;
    m.registry.userDwords[Key(u"SplitPos")] = 300;
    Open();
    const SIZE design = TemplateWindowSize();
    EXPECT_EQ(Width(dialog->WindowRect()), static_cast<int>(design.cx * 1.2));
}

TEST_F(MainDialogInitTest, CloseStoresTheSettingsAndEscapeDoesNot) {
    Open();
    ::SendMessageW(dialog->hwnd(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(m.registry.userDwords.empty());
    dialog.reset();

    Open();
    const RECT window = dialog->WindowRect();
    const int split = dialog->Layout().GetSplitPosition(u"MainSplitter").value_or(-1);
    ::SendMessageW(dialog->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(m.registry.userDwords[Key(u"DlgHeight")], static_cast<uint32_t>(Height(window)));
    EXPECT_EQ(m.registry.userDwords[Key(u"DlgWidth")], static_cast<uint32_t>(Width(window)));
    EXPECT_EQ(m.registry.userDwords[Key(u"SplitPos")], static_cast<uint32_t>(split));
}

TEST_F(MainDialogInitTest, SystemMenuEntryOpensTheAboutBox) {
    Open();
    HMENU menu = ::GetSystemMenu(dialog->hwnd(), FALSE);
    wchar_t text[64] = {};
    ASSERT_GT(::GetMenuStringW(menu, IDM_ABOUTBOX, text, 64, MF_BYCOMMAND), 0);
    EXPECT_EQ(FromWide(text), u"&About Veltrano...");
    ::SendMessageW(dialog->hwnd(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    ::SendMessageW(dialog->hwnd(), WM_COMMAND, ID_INFO, 0);
    EXPECT_EQ(dialog->aboutBoxes, 2);
}

TEST_F(MainDialogInitTest, DialogsTakeTheSystemMessageFontFromVistaOn) {
    CWinApp app;
    app.AttachMachine(m.machine);
    app.EnableControlContainer(std::make_unique<CFontOccManager>());
    auto faceOf = [this]() {
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(dialog->hwnd(), WM_GETFONT, 0, 0)),
                     sizeof font, &font);
        return FromWide(font.lfFaceName);
    };
    system.version = {6, 1};
    Open();
    EXPECT_EQ(faceOf(), SystemMessageFont().face);
    dialog.reset();
    system.version = {5, 1};
    Open();
    EXPECT_EQ(faceOf(), u"MS Shell Dlg");
}

TEST(CommandLine, UninstallOnlyAsTheFirstToken) {
    EXPECT_TRUE(IsUninstallCommand(u"-uninstall"));
    EXPECT_TRUE(IsUninstallCommand(u"  -uninstallnow -lang:7"));
    EXPECT_FALSE(IsUninstallCommand(u"-lang:7 -uninstall"));
    EXPECT_FALSE(IsUninstallCommand(u"-Uninstall"));
    EXPECT_FALSE(IsUninstallCommand(u"-uninstal"));
    EXPECT_EQ(ArgumentsOf(u"\"C:\\Program Files\\V\\Veltrano.exe\"  -lang:7"), u"-lang:7");
    EXPECT_EQ(ArgumentsOf(u"Veltrano.exe -uninstall"), u"-uninstall");
    EXPECT_EQ(ArgumentsOf(u"Veltrano.exe"), u"");
}

}  // namespace
}  // namespace veltrano
