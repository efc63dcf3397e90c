#include "shell/path_variables.h"

#include <gtest/gtest.h>

#include "support/engine_fakes.h"

namespace veltrano {
namespace {
using testing::FakeEnvironment;

// A standard Windows 7 (64-bit) installation for the user user7, as a 32-bit program sees it.
// An environment with exactly these variables (names with their percent signs).
FakeEnvironment With(std::map<Text, Text> variables) {
    FakeEnvironment environment;
    environment.variables = std::move(variables);
    return environment;
}

FakeEnvironment Windows7() {
    return With({
        {u"%ALLUSERSPROFILE%", u"C:\\ProgramData"},
        {u"%PROGRAMDATA%", u"C:\\ProgramData"},
        {u"%APPDATA%", u"C:\\Users\\user7\\AppData\\Roaming"},
        {u"%LOCALAPPDATA%", u"C:\\Users\\user7\\AppData\\Local"},
        {u"%USERPROFILE%", u"C:\\Users\\user7"},
        {u"%COMPUTERNAME%", u"WORKSTATION"},
        {u"%COMMONPROGRAMFILES%", u"C:\\Program Files (x86)\\Common Files"},
        {u"%COMMONPROGRAMFILES(x86)%", u"C:\\Program Files (x86)\\Common Files"},
        {u"%ProgramFiles%", u"C:\\Program Files (x86)"},
        {u"%SystemRoot%", u"C:\\Windows"},
        {u"%SystemDrive%", u"C:"},
        {u"%USERNAME%", u"user7"},
    });
}

class PathVariablesTest : public ::testing::Test {
  protected:
    void TearDown() override {
        FakeEnvironment empty = With({});
        BuildPathVariables(empty);
    }
};

TEST_F(PathVariablesTest, MostSpecificFolderWins) {
    FakeEnvironment environment = Windows7();
    BuildPathVariables(environment);
    EXPECT_EQ(MaskPathVariables(u"C:\\Users\\user7\\AppData\\Local\\Temp\\x.dmp"),
              u"%LOCALAPPDATA%\\Temp\\x.dmp");
    EXPECT_EQ(MaskPathVariables(u"c:\\users\\USER7\\appdata\\roaming\\a.txt"), u"%APPDATA%\\a.txt");
    EXPECT_EQ(MaskPathVariables(u"C:\\Users\\user7\\Desktop"), u"%USERPROFILE%\\Desktop");
    EXPECT_EQ(MaskPathVariables(u"C:\\Windows\\System32\\ntdll.dll"),
              u"%SystemRoot%\\System32\\ntdll.dll");
}

TEST_F(PathVariablesTest, SystemDriveAndUserNameCatchWhatIsLeft) {
    FakeEnvironment environment = Windows7();
    BuildPathVariables(environment);
    // The 32-bit program's %ProgramFiles% is the x86 folder, so the 64-bit one keeps its name.
    EXPECT_EQ(MaskPathVariables(u"c:\\program files\\app\\app.exe"),
              u"%SystemDrive%\\program files\\app\\app.exe");
    EXPECT_EQ(MaskPathVariables(u"MYUSER7FILE.TXT"), u"MY%USERNAME%FILE.TXT");
    EXPECT_EQ(MaskPathVariables(u"on WORKSTATION"), u"on %COMPUTERNAME%");
    EXPECT_EQ(MaskPathVariables(u"nothing here"), u"nothing here");
}

TEST_F(PathVariablesTest, LaterVariablesLeaveTheNamesOfEarlierOnesAlone) {
    // A user whose name is part of a variable name: his name is masked wherever it stands in
    // the text, never inside the names the masking put in.
    FakeEnvironment root = Windows7();
    root.variables[u"%USERNAME%"] = u"root";
    BuildPathVariables(root);
    EXPECT_EQ(MaskPathVariables(u"C:\\Windows\\System32 for root, by ROOTKIT"),
              u"%SystemRoot%\\System32 for %USERNAME%, by %USERNAME%KIT");
    FakeEnvironment user = Windows7();
    user.variables[u"%USERNAME%"] = u"User";
    user.variables[u"%USERPROFILE%"] = u"C:\\Users\\User";
    BuildPathVariables(user);
    EXPECT_EQ(MaskPathVariables(u"C:\\ProgramData\\a, C:\\Users\\User\\b, c:\\users\\x"),
              u"%ALLUSERSPROFILE%\\a, %USERPROFILE%\\b, %SystemDrive%\\%USERNAME%s\\x");
}

TEST_F(PathVariablesTest, UndefinedEmptyAndOverlongVariablesAreLeftOut) {
    FakeEnvironment environment = With({
        {u"%USERNAME%", u""},
        {u"%SystemRoot%", Text(259, u'w')},
        {u"%SystemDrive%", Text(260, u'd')},
        {u"%COMPUTERNAME%", u"HOST"},
    });
    BuildPathVariables(environment);
    EXPECT_EQ(MaskPathVariables(u"HOST " + Text(259, u'w') + u" " + Text(260, u'd')),
              u"%COMPUTERNAME% %SystemRoot% " + Text(260, u'd'));
    // Without a value %APPDATA% comes back unchanged and must not replace itself.
    EXPECT_EQ(MaskPathVariables(u"%APPDATA%"), u"%APPDATA%");
}

TEST_F(PathVariablesTest, RebuildingReplacesTheList) {
    FakeEnvironment first = With({{u"%USERNAME%", u"alice"}});
    BuildPathVariables(first);
    FakeEnvironment second = With({{u"%USERNAME%", u"bob"}});
    BuildPathVariables(second);
    EXPECT_EQ(MaskPathVariables(u"alice bob"), u"alice %USERNAME%");
}

TEST(ReplaceNoCase, ReplacesEveryOccurrenceIgnoringAsciiCase) {
    Text text = u"ABab";
    EXPECT_EQ(ReplaceNoCase(u"ab", text, u"x"), 2);
    EXPECT_EQ(text, u"xx");

    // The search goes on after the inserted text, so a replacement holding the pattern is safe.
    text = u"aaa";
    EXPECT_EQ(ReplaceNoCase(u"a", text, u"aa"), 3);
    EXPECT_EQ(text, u"aaaaaa");

    // Only a to z are folded; other letters must match exactly.
    text = u"\u00e4\u00c4";
    EXPECT_EQ(ReplaceNoCase(u"\u00e4", text, u"-"), 1);
    EXPECT_EQ(text, u"-\u00c4");

    text = u"abc";
    EXPECT_EQ(ReplaceNoCase(u"", text, u"x"), 0);
    EXPECT_EQ(text, u"abc");
    Text empty;
    EXPECT_EQ(ReplaceNoCase(u"a", empty, u"x"), 0);
}

}  // namespace
}  // namespace veltrano
