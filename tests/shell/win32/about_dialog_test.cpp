// The about box created from the program's template, in both languages.
#include "shell/win32/about_dialog.h"

#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "shell/local_texts.h"
#include "shell_win32_support.h"

namespace veltrano {
namespace {

using testing::RecordingShell;

class AboutDialogTest : public ::testing::Test {
  protected:
    AboutDialogTest() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LINK_CLASS | ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&controls);
    }
    ~AboutDialogTest() override { InitLocalTexts(0x0409, u""); }

    // The address of the link control's first (only) link.
    static Text LinkUrl(HWND link) {
        LITEM item{};
        item.mask = LIF_ITEMINDEX | LIF_URL;
        item.iLink = 0;
        if (!::SendMessageW(link, LM_GETITEM, 0, reinterpret_cast<LPARAM>(&item)))
            return u"?";
        return FromWide(item.szUrl);
    }

    RecordingShell shell_;
};

TEST_F(AboutDialogTest, ShowsNameVersionNoticeAndTheMakersAddress) {
    InitLocalTexts(0x0409, u"");
    CAboutDlg dialog(shell_);
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(CWindow(dialog.Item(IDC_ABOUT_TEXT)).GetText(),
              u"Veltrano 2.0.0.0\r\n"
              u"Copyright (C) 2026 Brenlow Software. All rights reserved.\r\n"
              u"\r\n"
              u"Brenlow Software\r\n"
              u"P.O. Box 1207\r\n"
              u"8001 Zurich, Switzerland\r\n"
              u"support@brenlow.example\r\n"
              u"\r\n");
    EXPECT_EQ(dialog.GetText(), u"About Veltrano");
}

TEST_F(AboutDialogTest, LinkPointsAtTheWebPageOfTheInterfaceLanguage) {
    InitLocalTexts(0x0409, u"");
    CAboutDlg english(shell_);
    ASSERT_TRUE(english.Create());
    EXPECT_EQ(LinkUrl(english.Item(IDC_ABOUT_LINK)),
              u"http://www.brenlow.example/software/veltrano");

    InitLocalTexts(0x0407, u"");
    CAboutDlg german(shell_);
    ASSERT_TRUE(german.Create());
    EXPECT_EQ(LinkUrl(german.Item(IDC_ABOUT_LINK)),
              u"http://www.brenlow.example/software/veltrano/index-de.html");
}

TEST_F(AboutDialogTest, ReturnOnTheLinkOpensItsAddress) {
    InitLocalTexts(0x0407, u"");
    CAboutDlg dialog(shell_);
    ASSERT_TRUE(dialog.Create());
    HWND link = dialog.Item(IDC_ABOUT_LINK);
    ::SetFocus(link);
    ::SendMessageW(link, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_EQ(shell_.calls.size(), 1u);
    const auto& call = shell_.calls[0];
    EXPECT_EQ(call.owner, reinterpret_cast<uintptr_t>(dialog.hwnd()));
    EXPECT_EQ(call.verb, u"open");
    EXPECT_EQ(call.file, u"http://www.brenlow.example/software/veltrano/index-de.html");
    EXPECT_EQ(call.parameters, u"");
    EXPECT_EQ(call.show, SW_SHOWNORMAL);
}

TEST_F(AboutDialogTest, ClickNotificationIsHandled) {
    InitLocalTexts(0x0409, u"");
    CAboutDlg dialog(shell_);
    ASSERT_TRUE(dialog.Create());
    NMLINK click{};
    click.hdr.hwndFrom = dialog.Item(IDC_ABOUT_LINK);
    click.hdr.idFrom = IDC_ABOUT_LINK;
    click.hdr.code = NM_CLICK;
    wcscpy(click.item.szUrl, L"http://www.brenlow.example/software/veltrano");
    ::SendMessageW(dialog.hwnd(), WM_NOTIFY, IDC_ABOUT_LINK, reinterpret_cast<LPARAM>(&click));
    ASSERT_EQ(shell_.calls.size(), 1u);
    EXPECT_EQ(shell_.calls[0].file, u"http://www.brenlow.example/software/veltrano");

    // Notifications of other kinds or controls are left alone.
    click.hdr.code = NM_SETFOCUS;
    ::SendMessageW(dialog.hwnd(), WM_NOTIFY, IDC_ABOUT_LINK, reinterpret_cast<LPARAM>(&click));
    click.hdr.code = NM_CLICK;
    click.hdr.idFrom = IDOK;
    ::SendMessageW(dialog.hwnd(), WM_NOTIFY, IDOK, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(shell_.calls.size(), 1u);
}

}  // namespace
}  // namespace veltrano
