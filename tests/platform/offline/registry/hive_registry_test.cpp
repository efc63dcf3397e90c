#include "platform/offline/registry/hive_registry.h"

#include <gtest/gtest.h>

#include "support/test_drive.h"
#include "writers/hive/event_source_keys.h"

namespace veltrano {
namespace {

constexpr TextView kErrorSource =
    u"SYSTEM\\CurrentControlSet\\services\\eventlog\\Application\\Application Error";

// A drive whose SYSTEM hive boots from control set 2 and keeps a stale set 1 beside it.
class HiveRegistryTest : public ::testing::Test {
  protected:
    void WriteSystem(uint32_t current, const std::string& fileName = "SYSTEM") {
        HiveWriter system(u"SYSTEM");
        if (current)
            SelectControlSet(system, current);
        AddEventSource(system, 1, u"Application", u"Application Error", u"%SystemRoot%\\old.dll");
        AddEventSource(system, 2, u"Application", u"Application Error",
                       u"%SystemRoot%\\System32\\wer.dll;%SystemRoot%\\System32\\other.dll")
            .SetString(u"providerGuid", u"{0ead09bd-2157-539a-8d6d-c87f95b64d70}");
        drive.tree().Write("Windows/System32/config/" + fileName, system.Bytes());
    }
    void WriteSoftware() {
        HiveWriter software(u"SOFTWARE");
        AddPublisher(software, u"{0ead09bd-2157-539a-8d6d-c87f95b64d70}",
                     u"%SystemRoot%\\System32\\wer.dll");
        drive.tree().Write("Windows/System32/config/SOFTWARE", software.Bytes());
    }

    testing::TestDrive drive;
};

TEST_F(HiveRegistryTest, CurrentControlSetIsTheSelectedSet) {
    WriteSystem(2);
    HiveRegistry registry(drive.files(), u"C:\\Windows");
    EXPECT_EQ(registry.ReadMachineString(kErrorSource, u"EventMessageFile"),
              u"%SystemRoot%\\System32\\wer.dll;%SystemRoot%\\System32\\other.dll");
    EXPECT_EQ(registry.ReadMachineString(
                  u"system\\currentcontrolset\\SERVICES\\EventLog\\application\\application error",
                  u"providerguid"),
              u"{0ead09bd-2157-539a-8d6d-c87f95b64d70}");
    EXPECT_EQ(registry.ReadMachineString(
                  u"SYSTEM\\ControlSet001\\Services\\EventLog\\Application\\Application Error",
                  u"EventMessageFile"),
              u"%SystemRoot%\\old.dll")
        << "a named control set is read as it stands";
}

TEST_F(HiveRegistryTest, WithoutSelectTheFirstSetCounts) {
    WriteSystem(0);
    HiveRegistry registry(drive.files(), u"C:\\Windows\\");
    EXPECT_EQ(registry.ReadMachineString(kErrorSource, u"EventMessageFile"),
              u"%SystemRoot%\\old.dll");
}

TEST_F(HiveRegistryTest, HiveFilesAreFoundInAnyLetterCase) {
    WriteSystem(2, "system");
    HiveRegistry registry(drive.files(), u"C:\\WINDOWS");
    EXPECT_FALSE(registry.ReadMachineString(kErrorSource, u"EventMessageFile").empty());
}

TEST_F(HiveRegistryTest, PublishersComeFromTheSoftwareHive) {
    WriteSoftware();
    HiveRegistry registry(drive.files(), u"C:\\Windows");
    EXPECT_EQ(registry.ReadMachineString(u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WINEVT\\"
                                         u"Publishers\\{0EAD09BD-2157-539A-8D6D-C87F95B64D70}",
                                         u"MessageFileName"),
              u"%SystemRoot%\\System32\\wer.dll");
    EXPECT_EQ(registry.ReadMachineString(kErrorSource, u"EventMessageFile"), u"")
        << "no SYSTEM hive";
}

TEST_F(HiveRegistryTest, EverythingMissingOrUnsuitableReadsEmpty) {
    WriteSystem(2);
    drive.tree().Write("Windows/System32/config/SOFTWARE", std::string("not a hive"));
    HiveRegistry registry(drive.files(), u"C:\\Windows");
    EXPECT_EQ(registry.ReadMachineString(kErrorSource, u"TypesSupported"), u"") << "not text";
    EXPECT_EQ(registry.ReadMachineString(kErrorSource, u"Missing"), u"");
    EXPECT_EQ(registry.ReadMachineString(u"SYSTEM\\CurrentControlSet\\Nothing", u"x"), u"");
    EXPECT_EQ(registry.ReadMachineString(u"SAM\\Domains", u"x"), u"");
    EXPECT_EQ(registry.ReadMachineString(u"", u""), u"");
    EXPECT_EQ(registry.ReadMachineString(u"SOFTWARE\\Microsoft", u"x"), u"");
    EXPECT_EQ(ValueDword(*registry.ReadMachineValue(kErrorSource, u"TypesSupported")), 7u);

    EXPECT_FALSE(registry.ReadUserDword(u"Software\\Brenlow\\Veltrano", u"DlgWidth"));
    EXPECT_FALSE(registry.WriteUserDword(u"Software\\Brenlow\\Veltrano", u"DlgWidth", 1));
    EXPECT_FALSE(registry.WriteUserString(u"Software\\Brenlow\\Veltrano", u"x", u"y"));
    EXPECT_FALSE(registry.DeleteUserKeyTree(u"Software\\Brenlow\\Veltrano"));
}

}  // namespace
}  // namespace veltrano
