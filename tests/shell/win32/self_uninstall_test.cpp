// The self-removal for real: confirmation through the message-box hook, keys in a private
// current-user hive, the script written to a test tree standing in for the temporary folder.
#include "shell/win32/self_uninstall.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "framework/message_box.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system_services.h"
#include "shell/local_texts.h"
#include "shell/maker.h"
#include "shell_win32_support.h"
#include "support/temp_tree.h"

namespace veltrano {
namespace {

using testing::FileExists;
using testing::KeyExists;
using testing::ReadBytes;

class SelfUninstallTest : public ::testing::Test {
  protected:
    SelfUninstallTest() {
        InitLocalTexts(0x0409, u"");
        tree_.MakeFolder("temp");
        temp_ = tree_.RootText() + u"\\temp\\";
        files_.temp = temp_;
        files_.module = u"C:\\Users\\Jo Smith\\Desktop\\Veltrano.exe";
        machine_.files = &files_;
        machine_.registry = &registry_;
        machine_.shell = &shell_;
        machine_.ansi = &ansi_;
        // The program's two keys with values and a subkey, and a neighbour that must stay.
        testing::SetString(HKEY_CURRENT_USER, kSettingsKeyPath, u"Note", u"x");
        testing::CreateKey(HKEY_CURRENT_USER, Text(kSettingsKeyPath) + u"\\Sub");
        testing::SetString(HKEY_CURRENT_USER, kUninstallKeyPath, u"DisplayName", u"Veltrano");
        testing::CreateKey(HKEY_CURRENT_USER, u"Software\\Brenlow\\Other");
    }
    ~SelfUninstallTest() override {
        SetMessageBoxHook({});
        InitLocalTexts(0x0409, u"");
    }

    // Answers the confirmation with `button` and remembers how it was asked.
    void Answer(int button) {
        SetMessageBoxHook(
            [this, button](HWND owner, const Text& text, const Text& caption, UINT type) {
                asked_.push_back({owner, text, caption, type});
                return button;
            });
    }
    std::string Script() const {
        const auto bytes = ReadBytes(temp_ + u"delself.bat");
        return std::string(bytes.begin(), bytes.end());
    }

    struct Question {
        HWND owner;
        Text text, caption;
        UINT type;
    };
    std::vector<Question> asked_;
    testing::PrivateUserHive hive_;
    testing::TempTree tree_;
    Text temp_;
    testing::RedirectedFiles files_;
    Win32Registry registry_;
    testing::RecordingShell shell_;
    testing::StrictAnsiCodePage ansi_;
    Machine machine_;
};

TEST_F(SelfUninstallTest, YesRemovesBothKeysAndStartsTheScript) {
    Answer(IDYES);
    EXPECT_TRUE(SelfUninstall(machine_, u"Veltrano"));

    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0].owner, nullptr);
    EXPECT_EQ(asked_[0].text, u"Are you sure you want to remove Veltrano from your computer?");
    EXPECT_EQ(asked_[0].caption, u"Veltrano");
    EXPECT_EQ(asked_[0].type, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION));

    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKeyPath));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKeyPath));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"Software\\Brenlow"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"Software\\Brenlow\\Other"));

    const std::string script = Utf16ToUtf8(temp_) + "delself.bat";
    EXPECT_EQ(Script(),
              ":Repeat\r\n"
              "del \"C:\\Users\\Jo Smith\\Desktop\\Veltrano.exe\"\r\n"
              "if exist \"C:\\Users\\Jo Smith\\Desktop\\Veltrano.exe\" goto Repeat\r\n"
              "del \"" +
                  script + "\"\r\n");

    ASSERT_EQ(shell_.calls.size(), 1u);
    EXPECT_EQ(shell_.calls[0].owner, 0u);
    EXPECT_EQ(shell_.calls[0].verb, u"open");
    EXPECT_EQ(shell_.calls[0].file, temp_ + u"delself.bat");
    EXPECT_EQ(shell_.calls[0].parameters, u"");
    EXPECT_EQ(shell_.calls[0].show, SW_HIDE);
}

TEST_F(SelfUninstallTest, NoOrCancelChangesNothing) {
    for (int button : {IDNO, IDCANCEL}) {
        Answer(button);
        EXPECT_TRUE(SelfUninstall(machine_, u"Veltrano"));
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Text(kSettingsKeyPath) + u"\\Sub"));
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kUninstallKeyPath));
        EXPECT_FALSE(FileExists(temp_ + u"delself.bat"));
        EXPECT_TRUE(shell_.calls.empty());
    }
}

TEST_F(SelfUninstallTest, QuestionInGerman) {
    InitLocalTexts(0x0407, u"");
    Answer(IDNO);
    SelfUninstall(machine_, u"Veltrano");
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0].text, u"Wollen Sie wirklich Veltrano deinstallieren?");
}

TEST_F(SelfUninstallTest, PercentSignsInPathsAreDoubled) {
    files_.module = u"C:\\Users\\100%Jo\\Desktop\\Veltrano.exe";
    Answer(IDYES);
    EXPECT_TRUE(SelfUninstall(machine_, u"Veltrano"));
    EXPECT_NE(Script().find("del \"C:\\Users\\100%%Jo\\Desktop\\Veltrano.exe\"\r\n"),
              std::string::npos);
    EXPECT_NE(Script().find("if exist \"C:\\Users\\100%%Jo\\Desktop\\Veltrano.exe\" goto Repeat"),
              std::string::npos);
}

TEST_F(SelfUninstallTest, PathTheAnsiCodePageCannotSpellWritesNoScript) {
    if (::GetACP() == CP_UTF8)
        GTEST_SKIP() << "the ANSI code page is UTF-8: every path fits";
    files_.module = u"C:\\Users\\\u4E2D\u6587\\Desktop\\Veltrano.exe";
    Answer(IDYES);
    EXPECT_FALSE(SelfUninstall(machine_, u"Veltrano"));
    EXPECT_FALSE(FileExists(temp_ + u"delself.bat"));
    EXPECT_TRUE(shell_.calls.empty());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKeyPath));  // removed before the script
}

TEST_F(SelfUninstallTest, MissingPathsOrUnwritableScriptFail) {
    Answer(IDYES);
    files_.module = u"";
    EXPECT_FALSE(SelfUninstall(machine_, u"Veltrano"));
    files_.module = u"C:\\Veltrano.exe";
    files_.temp = u"";
    EXPECT_FALSE(SelfUninstall(machine_, u"Veltrano"));
    files_.temp = temp_ + u"missing folder\\";
    EXPECT_FALSE(SelfUninstall(machine_, u"Veltrano"));
    EXPECT_TRUE(shell_.calls.empty());
}

// The script started for real by the shell: it deletes the "executable" (a path with a blank
// and a percent sign), not the file that an unescaped "%" would name, and then itself.
TEST_F(SelfUninstallTest, ScriptDeletesTheExecutableAndItself) {
    const auto victim = tree_.Write("100% sure/Vel trano.exe", std::string("MZ"));
    const auto decoy = tree_.Write("100 sure/Vel trano.exe", std::string("MZ"));
    files_.module = tree_.RootText() + u"\\100% sure\\Vel trano.exe";
    Win32Shell realShell;
    machine_.shell = &realShell;
    Answer(IDYES);
    ASSERT_TRUE(SelfUninstall(machine_, u"Veltrano"));

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while ((std::filesystem::exists(victim) || FileExists(temp_ + u"delself.bat")) &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_FALSE(std::filesystem::exists(victim));
    EXPECT_FALSE(FileExists(temp_ + u"delself.bat"));
    EXPECT_TRUE(std::filesystem::exists(decoy));
}

}  // namespace
}  // namespace veltrano
