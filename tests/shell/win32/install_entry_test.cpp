// The install entry for real: files copied by CopyFileW into a test tree standing in for the
// desktop, values written to a private current-user hive.
#include "shell/win32/install_entry.h"

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include "platform/win32/win32_registry.h"
#include "shell/local_texts.h"
#include "shell/maker.h"
#include "shell/win32/keep_question.h"
#include "shell_win32_support.h"
#include "support/temp_tree.h"

namespace veltrano {
namespace {

using testing::FixedSystemInfo;
using testing::PrivateUserHive;
using testing::ReadBytes;
using testing::RedirectedFiles;
using testing::TempTree;

class IsRunningFromTempTest : public ::testing::Test {
  protected:
    bool FromTemp(const Text& module, const Text& temp) {
        files_.module = module;
        files_.temp = temp;
        return IsRunningFromTemp(files_);
    }
    RedirectedFiles files_;
};

TEST_F(IsRunningFromTempTest, InsideTheTemporaryFolderOrBelow) {
    const Text temp = u"C:\\Users\\Jo\\AppData\\Local\\Temp\\";
    EXPECT_TRUE(FromTemp(temp + u"Veltrano.exe", temp));
    EXPECT_TRUE(FromTemp(temp + u"unpacked\\Veltrano.exe", temp));
    EXPECT_FALSE(FromTemp(u"C:\\Users\\Jo\\Desktop\\Veltrano.exe", temp));
    EXPECT_FALSE(FromTemp(u"C:\\Users\\Jo\\AppData\\Local\\Temporary\\Veltrano.exe", temp));
}

TEST_F(IsRunningFromTempTest, ComparesThePathsExactlyAsTheSystemSpellsThem) {
    EXPECT_FALSE(FromTemp(u"C:\\Users\\Jonathan\\AppData\\Local\\Temp\\Veltrano.exe",
                          u"C:\\Users\\JONATH~1\\AppData\\Local\\Temp\\"));
    EXPECT_FALSE(FromTemp(u"c:\\temp\\Veltrano.exe", u"C:\\Temp\\"));
    EXPECT_FALSE(FromTemp(u"C:\\Temp\\", u"C:\\Temp\\"));  // not longer than the folder
}

TEST_F(IsRunningFromTempTest, UnknownPathsMeanNo) {
    EXPECT_FALSE(FromTemp(u"C:\\Temp\\Veltrano.exe", u""));
    EXPECT_FALSE(FromTemp(u"", u"C:\\Temp\\"));
    const Text longTemp = u"C:\\" + Text(258, u'x') + u"\\";  // 262 characters
    EXPECT_FALSE(FromTemp(longTemp + u"Veltrano.exe", longTemp));
}

// The uninstall entry's values in the program's key of the (private) current user.
Text Value(const Text& name) {
    auto stored = testing::ReadStored(HKEY_CURRENT_USER, kUninstallKeyPath, name);
    return stored ? stored->value : u"<missing>";
}

class OfferToKeepTest : public ::testing::Test {
  protected:
    OfferToKeepTest() {
        InitLocalTexts(0x0409, u"");
        tree_.MakeFolder("Desk top");
        desktop_ = tree_.RootText() + u"\\Desk top";
        files_.desktop = desktop_;
        files_.module = tree_.RootText() + u"\\Temp\\unpacked\\Veltrano.exe";
        tree_.Write("Temp/unpacked/Veltrano.exe", std::string("MZ the program"));
        machine_.files = &files_;
        machine_.registry = &registry_;
        machine_.system = &system_;
    }
    ~OfferToKeepTest() override {
        SetKeepQuestionHook({});
        InitLocalTexts(0x0409, u"");
    }
    void Answer(int answer) {
        SetKeepQuestionHook([answer] { return answer; });
    }
    Text Copy() const { return desktop_ + u"\\Veltrano.exe"; }

    PrivateUserHive hive_;
    TempTree tree_;
    Text desktop_;
    RedirectedFiles files_;
    Win32Registry registry_;
    FixedSystemInfo system_;
    Machine machine_;
};

TEST_F(OfferToKeepTest, KeepCopiesToTheDesktopAndWritesTheEightValues) {
    Answer(kKeepProgram);
    OfferToKeep(nullptr, machine_);

    const auto copied = ReadBytes(Copy());
    EXPECT_EQ(std::string(copied.begin(), copied.end()), "MZ the program");
    // Quoted: the desktop path has a blank.
    EXPECT_EQ(Value(u"UninstallString"), u"\"" + Copy() + u"\" -uninstall");
    EXPECT_EQ(Value(u"DisplayName"), u"Veltrano 2.0.0.0");
    EXPECT_EQ(Value(u"InstallLocation"), desktop_);
    EXPECT_EQ(Value(u"Publisher"), u"Brenlow Software");
    EXPECT_EQ(Value(u"Contact"), u"support@brenlow.example");
    for (const char16_t* name : {u"URLUpdateInfo", u"HelpLink", u"URLInfoAbout"}) {
        EXPECT_EQ(Value(name), u"http://www.brenlow.example/software/veltrano");
    }
    // REG_SZ with the terminator counted in the stored size.
    auto stored = testing::ReadStored(HKEY_CURRENT_USER, kUninstallKeyPath, u"Publisher");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored->bytes, (Text(u"Brenlow Software").size() + 1) * sizeof(char16_t));
}

TEST_F(OfferToKeepTest, GermanInterfaceWritesTheGermanWebPage) {
    InitLocalTexts(0x0407, u"");
    Answer(kKeepProgram);
    OfferToKeep(nullptr, machine_);
    EXPECT_EQ(Value(u"HelpLink"), u"http://www.brenlow.example/software/veltrano/index-de.html");
    EXPECT_EQ(Value(u"DisplayName"), u"Veltrano 2.0.0.0");
}

TEST_F(OfferToKeepTest, RemoveOrNoAnswerChangesNothing) {
    for (int answer : {kRemoveProgram, kNoAnswer}) {
        Answer(answer);
        OfferToKeep(nullptr, machine_);
        EXPECT_FALSE(testing::FileExists(Copy()));
        EXPECT_FALSE(testing::KeyExists(HKEY_CURRENT_USER, kUninstallKeyPath));
    }
}

TEST_F(OfferToKeepTest, KeepingTwiceOverwritesTheCopyAndRewritesTheValues) {
    Answer(kKeepProgram);
    OfferToKeep(nullptr, machine_);
    tree_.Write("Temp/unpacked/Veltrano.exe", std::string("MZ version two"));
    testing::SetString(HKEY_CURRENT_USER, kUninstallKeyPath, u"Publisher", u"someone else");
    OfferToKeep(nullptr, machine_);
    const auto copied = ReadBytes(Copy());
    EXPECT_EQ(std::string(copied.begin(), copied.end()), "MZ version two");
    EXPECT_EQ(Value(u"Publisher"), u"Brenlow Software");
    EXPECT_EQ(Value(u"UninstallString"), u"\"" + Copy() + u"\" -uninstall");
}

TEST_F(OfferToKeepTest, FailedCopyWritesNoValue) {
    files_.desktop = tree_.RootText() + u"\\No such desktop";
    Answer(kKeepProgram);
    OfferToKeep(nullptr, machine_);
    EXPECT_FALSE(testing::KeyExists(HKEY_CURRENT_USER, kUninstallKeyPath));
}

TEST_F(OfferToKeepTest, UnknownDesktopOrExecutableStops) {
    Answer(kKeepProgram);
    files_.desktop = u"";
    OfferToKeep(nullptr, machine_);
    files_.desktop = desktop_;
    files_.module = u"";
    OfferToKeep(nullptr, machine_);
    EXPECT_FALSE(testing::FileExists(Copy()));
    EXPECT_FALSE(testing::KeyExists(HKEY_CURRENT_USER, kUninstallKeyPath));
}

TEST_F(OfferToKeepTest, DesktopFolderWithFinalSeparatorGetsNoSecondOne) {
    files_.desktop = desktop_ + u"\\";
    Answer(kKeepProgram);
    OfferToKeep(nullptr, machine_);
    EXPECT_EQ(Value(u"UninstallString"), u"\"" + Copy() + u"\" -uninstall");
    EXPECT_EQ(Value(u"InstallLocation"), desktop_ + u"\\");
}

// Without the hook the Windows version picks the dialog; XP's answers keep on Escape.
TEST_F(OfferToKeepTest, OnXPTheQuestionDialogAsks) {
    system_.version = {5, 1};
    testing::DialogAnswerer answerer(L"Test Title", &testing::PressEscape);
    OfferToKeep(nullptr, machine_);
    EXPECT_TRUE(answerer.Answered());
    EXPECT_TRUE(testing::FileExists(Copy()));
    EXPECT_EQ(Value(u"DisplayName"), u"Veltrano 2.0.0.0");
}

TEST_F(OfferToKeepTest, OnWindows7TheTaskDialogAsks) {
    system_.version = {6, 1};
    testing::DialogAnswerer answerer(L"Veltrano", [](HWND dialog) {
        ::SendMessageW(dialog, TDM_CLICK_BUTTON, kRemoveButtonId, 0);
    });
    OfferToKeep(nullptr, machine_);
    EXPECT_TRUE(answerer.Answered());
    EXPECT_FALSE(testing::FileExists(Copy()));
}

}  // namespace
}  // namespace veltrano
