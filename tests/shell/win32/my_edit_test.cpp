// The description box's double click on a real edit control: the file it writes and the
// Notepad start it asks the shell for.
#include "shell/win32/my_edit.h"

#include <gtest/gtest.h>

#include "shell_win32_support.h"
#include "support/temp_tree.h"

namespace veltrano {
namespace {

using testing::ReadBytes;
using testing::Utf16Bytes;

class MyEditTest : public ::testing::Test {
  protected:
    MyEditTest() {
        tree_.MakeFolder("temp");
        temp_ = tree_.RootText() + u"\\temp\\";
        files_.temp = temp_;
        edit_hwnd_ =
            ::CreateWindowExW(0, L"EDIT", L"", WS_POPUP | ES_MULTILINE | ES_READONLY, 0, 0, 300,
                              200, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        edit_.Subclass(edit_hwnd_);
    }
    ~MyEditTest() override { ::DestroyWindow(edit_hwnd_); }

    void DoubleClick() {
        ::SendMessageW(edit_hwnd_, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    }
    Text File() const { return temp_ + u"full-error-description.txt"; }
    void SetText(const wchar_t* text) { ::SetWindowTextW(edit_hwnd_, text); }
    // Where the default handling of the double click left the selection.
    DWORD Selection() const {
        return static_cast<DWORD>(::SendMessageW(edit_hwnd_, EM_GETSEL, 0, 0));
    }

    testing::TempTree tree_;
    Text temp_;
    testing::RedirectedFiles files_;
    testing::RecordingShell shell_;
    CMyEdit edit_{files_, shell_};
    HWND edit_hwnd_ = nullptr;
};

TEST_F(MyEditTest, DoubleClickWritesUtf16WithoutMarkAndOpensNotepad) {
    SetText(L"Fehler in \u00C4pfel.exe\r\nZeile zwei \u20AC");
    DoubleClick();
    EXPECT_EQ(ReadBytes(File()),
              Utf16Bytes(u"Fehler in \u00C4pfel.exe\r\nZeile zwei \u20AC", false));
    ASSERT_EQ(shell_.calls.size(), 1u);
    EXPECT_EQ(shell_.calls[0].owner, 0u);
    EXPECT_EQ(shell_.calls[0].verb, u"open");
    EXPECT_EQ(shell_.calls[0].file, u"notepad.exe");
    EXPECT_EQ(shell_.calls[0].parameters, File());
    EXPECT_EQ(shell_.calls[0].show, SW_SHOWNORMAL);
}

TEST_F(MyEditTest, EmptyBoxWritesAnEmptyFile) {
    DoubleClick();
    EXPECT_TRUE(testing::FileExists(File()));
    EXPECT_TRUE(ReadBytes(File()).empty());
    EXPECT_EQ(shell_.calls.size(), 1u);
}

TEST_F(MyEditTest, SecondDoubleClickOverwritesWithTheCurrentText) {
    SetText(L"a much longer first description");
    DoubleClick();
    SetText(L"short");
    DoubleClick();
    EXPECT_EQ(ReadBytes(File()), Utf16Bytes(u"short", false));
    EXPECT_EQ(shell_.calls.size(), 2u);
}

TEST_F(MyEditTest, WordSelectionStillHappens) {
    SetText(L"word another");
    DoubleClick();
    EXPECT_NE(LOWORD(Selection()), HIWORD(Selection()));
}

TEST_F(MyEditTest, UnknownTemporaryFolderDoesNothingAtAll) {
    SetText(L"word another");
    files_.temp = u"";
    DoubleClick();
    EXPECT_TRUE(shell_.calls.empty());
    EXPECT_EQ(LOWORD(Selection()), HIWORD(Selection()));  // not even the word selection
}

TEST_F(MyEditTest, FileThatCannotBeCreatedStartsNoNotepad) {
    files_.temp = temp_ + u"missing\\";
    SetText(L"text");
    DoubleClick();
    EXPECT_TRUE(shell_.calls.empty());
}

}  // namespace
}  // namespace veltrano
