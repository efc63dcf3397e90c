#include "platform/offline/drive_environment.h"

#include <gtest/gtest.h>

#include <map>

namespace veltrano {
namespace {

// A registry that knows a few machine strings.
class RecordedRegistry : public Registry {
  public:
    std::map<std::pair<Text, Text>, Text> strings;
    Text ReadMachineString(TextView key, TextView value) override {
        const auto found = strings.find({Text(key), Text(value)});
        return found == strings.end() ? Text() : found->second;
    }
    std::optional<uint32_t> ReadUserDword(TextView, TextView) override { return std::nullopt; }
    bool WriteUserDword(TextView, TextView, uint32_t) override { return false; }
    bool WriteUserString(TextView, TextView, TextView) override { return false; }
    bool DeleteUserKeyTree(TextView) override { return false; }
};

TEST(DriveEnvironment, ExpandsAsExpandEnvironmentStringsDoes) {
    DriveEnvironment environment(u"C:\\Windows");
    EXPECT_EQ(environment.Expand(u"%SystemRoot%\\System32\\wer.dll"),
              u"C:\\Windows\\System32\\wer.dll");
    EXPECT_EQ(environment.Expand(u"%systemroot%|%WINDIR%|%SystemDrive%"),
              u"C:\\Windows|C:\\Windows|C:");
    EXPECT_EQ(environment.Expand(u"%ProgramFiles%\\a;%ProgramFiles(x86)%\\b"),
              u"C:\\Program Files\\a;C:\\Program Files (x86)\\b");
    EXPECT_EQ(environment.Expand(u"%CommonProgramFiles%|%ProgramData%|%ALLUSERSPROFILE%"),
              u"C:\\Program Files\\Common Files|C:\\ProgramData|C:\\ProgramData");
    EXPECT_EQ(environment.Expand(u"%Undefined%\\x%windir%"), u"%Undefined%\\xC:\\Windows")
        << "an undefined name stays with both of its marks";
    EXPECT_EQ(environment.Expand(u"100%% and 50%"), u"100%% and 50%");
    EXPECT_EQ(environment.Expand(u"a%b%windir%"), u"a%b%windir%")
        << "the marks pair up from the left";
    EXPECT_EQ(environment.Expand(u"no marks"), u"no marks");
    EXPECT_EQ(environment.Expand(u""), u"");
}

TEST(DriveEnvironment, FoldersFollowTheDrive) {
    DriveEnvironment winnt(u"C:\\WINNT\\");
    EXPECT_EQ(winnt.Expand(u"%SystemRoot%\\system32"), u"C:\\WINNT\\system32");

    RecordedRegistry registry;
    const Text currentVersion = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    registry.strings[{currentVersion, u"ProgramFilesDir"}] = u"C:\\Programme";
    registry.strings[{currentVersion, u"CommonFilesDir"}] = u"C:\\Programme\\Gemeinsame Dateien";
    registry.strings[{u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
                      u"ProgramData"}] = u"%SystemDrive%\\ProgramData";
    DriveEnvironment german(u"C:\\Windows", &registry);
    EXPECT_EQ(german.Expand(u"%ProgramFiles%\\x"), u"C:\\Programme\\x");
    EXPECT_EQ(german.Expand(u"%CommonProgramFiles%"), u"C:\\Programme\\Gemeinsame Dateien");
    EXPECT_EQ(german.Expand(u"%ALLUSERSPROFILE%"), u"C:\\ProgramData");
    EXPECT_EQ(german.Expand(u"%ProgramFiles(x86)%"), u"C:\\Program Files (x86)")
        << "not recorded: the usual name";
}

}  // namespace
}  // namespace veltrano
