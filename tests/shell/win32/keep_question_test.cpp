// The keep-or-remove question in both forms, shown for real and answered through the keyboard,
// buttons and task-dialog messages.
#include "shell/win32/keep_question.h"

#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "shell/local_texts.h"
#include "shell/win32/xp_options.h"
#include "shell_win32_support.h"

namespace veltrano {
namespace {

using testing::DialogAnswerer;
using testing::FindChildByText;
using testing::PressEscape;

class KeepQuestionTest : public ::testing::Test {
  protected:
    KeepQuestionTest() { InitLocalTexts(0x0409, u""); }
    ~KeepQuestionTest() override { InitLocalTexts(0x0409, u""); }
};

LOGFONTW FontOf(HWND control) {
    LOGFONTW font{};
    auto handle = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    ::GetObjectW(handle, sizeof font, &font);
    return font;
}

int PixelsOfPoints(int points) {
    HDC screen = ::GetDC(nullptr);
    const int pixels = ::MulDiv(points, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

TEST_F(KeepQuestionTest, XPOptionsShowsTheQuestionWithFirstOptionPreselected) {
    for (uint16_t language : {0x0409, 0x0407}) {
        InitLocalTexts(language, u"");
        CXPOptions dialog;
        dialog.heading = LocalText(LT_LIKE_QUESTION);
        dialog.keepNote = LocalText(LT_KEEP_NOTE);
        dialog.removeNote = LocalText(LT_REMOVE_NOTE);
        ASSERT_TRUE(dialog.Create());
        SCOPED_TRACE(language);
        EXPECT_EQ(dialog.GetText(), u"Test Title");
        EXPECT_EQ(CWindow(dialog.Item(IDC_XP_HEADING)).GetText(), LocalText(LT_LIKE_QUESTION));
        EXPECT_EQ(CWindow(dialog.Item(IDC_XP_KEEP)).GetText(), LocalText(LT_KEEP_OPTION));
        EXPECT_EQ(CWindow(dialog.Item(IDC_XP_KEEP_NOTE)).GetText(), LocalText(LT_KEEP_NOTE));
        EXPECT_EQ(CWindow(dialog.Item(IDC_XP_REMOVE)).GetText(), LocalText(LT_REMOVE_OPTION));
        EXPECT_EQ(CWindow(dialog.Item(IDC_XP_REMOVE_NOTE)).GetText(), LocalText(LT_REMOVE_NOTE));
        EXPECT_EQ(::SendMessageW(dialog.Item(IDC_XP_KEEP), BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_EQ(::SendMessageW(dialog.Item(IDC_XP_REMOVE), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    }
    EXPECT_EQ(LocalText(LT_KEEP_OPTION), u"Ja, ich möchte das Programm behalten!");
}

TEST_F(KeepQuestionTest, XPOptionsUsesSegoeUiAndGreysTheCloseEntry) {
    CXPOptions dialog;
    ASSERT_TRUE(dialog.Create());
    const LOGFONTW heading = FontOf(dialog.Item(IDC_XP_HEADING));
    EXPECT_STREQ(heading.lfFaceName, L"Segoe UI");
    EXPECT_EQ(heading.lfHeight, -PixelsOfPoints(12));
    for (int id : {IDC_XP_KEEP, IDC_XP_REMOVE}) {
        const LOGFONTW option = FontOf(dialog.Item(id));
        EXPECT_STREQ(option.lfFaceName, L"Segoe UI");
        EXPECT_EQ(option.lfHeight, -PixelsOfPoints(10));
    }
    // The notes keep the dialog's font.
    EXPECT_STRNE(FontOf(dialog.Item(IDC_XP_KEEP_NOTE)).lfFaceName, L"Segoe UI");
    const UINT close =
        ::GetMenuState(::GetSystemMenu(dialog.hwnd(), FALSE), SC_CLOSE, MF_BYCOMMAND);
    EXPECT_TRUE(close & MF_GRAYED);
}

// The notes between the options do not count as options.
TEST_F(KeepQuestionTest, XPOptionsReadsBackTheCheckedOption) {
    CXPOptions dialog;
    ASSERT_TRUE(dialog.Create());
    ::SendMessageW(dialog.Item(IDC_XP_REMOVE), BM_CLICK, 0, 0);
    EXPECT_EQ(::SendMessageW(dialog.Item(IDC_XP_KEEP), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    dialog.UpdateData(true);
    EXPECT_EQ(dialog.option, 1);
    ::SendMessageW(dialog.Item(IDC_XP_REMOVE), BM_SETCHECK, BST_UNCHECKED, 0);
    dialog.UpdateData(true);
    EXPECT_EQ(dialog.option, -1);
    dialog.option = 1;
    dialog.UpdateData(false);
    EXPECT_EQ(::SendMessageW(dialog.Item(IDC_XP_REMOVE), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(::SendMessageW(dialog.Item(IDC_XP_KEEP), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(KeepQuestionTest, EscapeInTheXPDialogAnswersKeepEvenAfterChoosingRemove) {
    DialogAnswerer answerer(L"Test Title", [](HWND dialog) {
        ::SendMessageW(::GetDlgItem(dialog, IDC_XP_REMOVE), BM_CLICK, 0, 0);
        PressEscape(dialog);
    });
    EXPECT_EQ(AskWithXPOptions(nullptr), kKeepProgram);
    EXPECT_TRUE(answerer.Answered());
}

TEST_F(KeepQuestionTest, XPDialogAnswersWhatOkConfirms) {
    {
        DialogAnswerer answerer(L"Test Title", [](HWND dialog) {
            ::SendMessageW(::GetDlgItem(dialog, IDC_XP_REMOVE), BM_CLICK, 0, 0);
            ::SendMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
        EXPECT_EQ(AskWithXPOptions(nullptr), kRemoveProgram);
    }
    {
        DialogAnswerer answerer(L"Test Title", [](HWND dialog) {
            ::SendMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
        EXPECT_EQ(AskWithXPOptions(nullptr), kKeepProgram);
    }
}

TEST_F(KeepQuestionTest, TaskDialogOffersTwoCommandLinksInTheInterfaceLanguage) {
    InitLocalTexts(0x0407, u"");
    bool sawQuestion = false, sawKeep = false, sawRemove = false;
    DialogAnswerer answerer(L"Veltrano", [&](HWND dialog) {
        sawQuestion = FindChildByText(dialog, L"Gefällt Ihnen Veltrano?") != nullptr;
        HWND keep = ::GetDlgItem(dialog, kKeepButtonId);
        HWND remove = ::GetDlgItem(dialog, kRemoveButtonId);
        wchar_t text[256] = {};
        ::GetWindowTextW(keep, text, 256);
        sawKeep = std::wstring(text).rfind(L"Ja, ich möchte das Programm behalten!", 0) == 0;
        ::GetWindowTextW(remove, text, 256);
        sawRemove = std::wstring(text).rfind(L"Nein, es gefällt mir nicht.", 0) == 0;
        ::SendMessageW(dialog, TDM_CLICK_BUTTON, kRemoveButtonId, 0);
    });
    EXPECT_EQ(AskWithTaskDialog(nullptr), kRemoveProgram);
    EXPECT_TRUE(answerer.Answered());
    EXPECT_TRUE(sawQuestion);
    EXPECT_TRUE(sawKeep);
    EXPECT_TRUE(sawRemove);
}

TEST_F(KeepQuestionTest, TaskDialogKeepButtonAnswersKeep) {
    DialogAnswerer answerer(L"Veltrano", [](HWND dialog) {
        ::SendMessageW(dialog, TDM_CLICK_BUTTON, kKeepButtonId, 0);
    });
    EXPECT_EQ(AskWithTaskDialog(nullptr), kKeepProgram);
}

TEST_F(KeepQuestionTest, WindowsVersionChoosesTheForm) {
    struct Case {
        WindowsVersion version;
        const wchar_t* title;
    };
    for (const Case& c : {Case{{5, 1}, L"Test Title"}, Case{{6, 0}, L"Veltrano"},
                          Case{{6, 2}, L"Veltrano"}, Case{{10, 0}, L"Test Title"}}) {
        SCOPED_TRACE(c.version.major);
        DialogAnswerer answerer(c.title, [](HWND dialog) {
            ::SendMessageW(dialog, TDM_CLICK_BUTTON, kKeepButtonId, 0);
            PressEscape(dialog);
        });
        EXPECT_EQ(AskKeepQuestion(nullptr, c.version), kKeepProgram);
        EXPECT_TRUE(answerer.Answered());
    }
}

TEST_F(KeepQuestionTest, HookAnswersWithoutAnyDialog) {
    SetKeepQuestionHook([] { return kRemoveProgram; });
    EXPECT_EQ(AskKeepQuestion(nullptr, {6, 1}), kRemoveProgram);
    EXPECT_EQ(AskKeepQuestion(nullptr, {5, 1}), kRemoveProgram);
    SetKeepQuestionHook({});
}

}  // namespace
}  // namespace veltrano
