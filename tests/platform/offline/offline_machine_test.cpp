// The offline adapters wired into a machine as veltrano-scan builds it for an analysed drive:
// the engine's message text resolution and the exception names find the drive's registry,
// message files and system tables.
#include <gtest/gtest.h>

#include "engine/message_texts.h"
#include "platform/offline/drive_environment.h"
#include "platform/offline/messages/pe_message_tables.h"
#include "platform/offline/registry/hive_registry.h"
#include "shell/exception_names.h"
#include "support/event_records.h"
#include "support/message_dlls.h"
#include "support/test_drive.h"
#include "writers/hive/event_source_keys.h"

namespace veltrano {
namespace {

constexpr TextView kPublisher = u"{5f0e1ec7-6b3c-4d5e-9a2f-0c1d2e3f4a5b}";

class OfflineMachine : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const auto& [dll, where] :
             {std::pair{"event_messages.dll", "Windows/System32/wer.dll"},
              {"test_ntdll.dll", "Windows/System32/ntdll.dll"},
              {"test_messages.dll", "Program Files/Tool/tool.dll"}}) {
            const auto bytes = testing::MessageDll(dll);
            if (!bytes)
                GTEST_SKIP() << dll << " was not built (needs MinGW-w64 binutils)";
            drive.tree().Write(where, *bytes);
        }
        HiveWriter system(u"SYSTEM");
        SelectControlSet(system, 1);
        AddCrashSources(system, 1, u"%SystemRoot%\\System32\\wer.dll");
        system.Root()
            .Key(u"ControlSet001\\Services\\EventLog\\Application\\Modern Tool")
            .SetString(u"providerGuid", kPublisher);
        drive.tree().Write("Windows/System32/config/SYSTEM", system.Bytes());
        HiveWriter software(u"SOFTWARE");
        AddPublisher(software, kPublisher, u"%ProgramFiles%\\Tool\\tool.dll");
        drive.tree().Write("Windows/System32/config/SOFTWARE", software.Bytes());

        // As veltrano-scan wires them once the drive is there: all three over the drive's files
        // and its Windows folder, the environment reading the drive's registry.
        registry = std::make_unique<HiveRegistry>(drive.files(), u"C:\\Windows");
        environment = std::make_unique<DriveEnvironment>(u"C:\\Windows", registry.get());
        messages = std::make_unique<PeMessageTables>(drive.files(), u"C:\\Windows");
        machine.files = &drive.files();
        machine.registry = registry.get();
        machine.environment = environment.get();
        machine.messages = messages.get();
    }

    MessageTexts Resolve(const testing::RecordFields& fields) {
        bytes = testing::BuildRecord(fields);
        const uint32_t length = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24;
        return ResolveMessageTexts(machine, EventRecordView(bytes.data(), length), u"Application");
    }

    testing::TestDrive drive;
    std::unique_ptr<HiveRegistry> registry;
    std::unique_ptr<DriveEnvironment> environment;
    std::unique_ptr<PeMessageTables> messages;
    Machine machine;
    std::vector<uint8_t> bytes;
};

TEST_F(OfflineMachine, CrashTextsYieldPathCodeAndReportIdentifier) {
    testing::RecordFields crash;
    crash.strings = {u"notepad.exe",
                     u"10.0.1",
                     u"5f3e2a1b",
                     u"ntdll.dll",
                     u"10.0.19041.1",
                     u"a1b2c3d4",
                     u"c0000005",
                     u"000000000004f3a2",
                     u"1a2c",
                     u"01d7e3a1b2c3d4e5",
                     u"C:\\Windows\\notepad.exe",
                     u"C:\\Windows\\SYSTEM32\\ntdll.dll",
                     u"4318f466-4848-4745-bb07-3d7718c6d5df"};
    const auto texts = Resolve(crash);
    ASSERT_TRUE(texts.ErrorText);
    const auto lines = SplitLines(*texts.ErrorText);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[2], u"Exception code: 0xc0000005");
    EXPECT_EQ(lines[6], u"Faulting application path: C:\\Windows\\notepad.exe");
    EXPECT_EQ(lines[8], u"Report Id: 4318f466-4848-4745-bb07-3d7718c6d5df");
    ASSERT_TRUE(texts.MessageTemplate);
    EXPECT_TRUE(StartsWith(*texts.MessageTemplate, u"Faulting application name: %1, version: %2"));
    EXPECT_EQ(ExceptionCodeTextName(*messages, u"c0000005"), u"Memory Access Violation");
    EXPECT_EQ(ExceptionCodeName(*messages, 0xC0000409),
              u"The system detected an overrun of a stack-based buffer in this application.");

    testing::RecordFields hang;
    hang.source = u"Application Hang";
    hang.eventId = 1002;
    hang.strings = {u"app.exe",
                    u"2.1.0.0",
                    u"2f44",
                    u"01d7e3a1b2c3d4e5",
                    u"4294967295",
                    u"C:\\Program Files\\App\\app.exe",
                    u"f645636f-91b0-4fa5-8f72-f4c27e9e99ce"};
    const auto hangTexts = Resolve(hang);
    ASSERT_TRUE(hangTexts.ErrorText);
    const auto hangLines = SplitLines(*hangTexts.ErrorText);
    ASSERT_EQ(hangLines.size(), 6u);
    EXPECT_EQ(hangLines[5], u"Report Id: f645636f-91b0-4fa5-8f72-f4c27e9e99ce");
}

TEST_F(OfflineMachine, PublisherMessageFilesAndParameterMessages) {
    testing::RecordFields record;
    record.source = u"Modern Tool";
    record.eventId = 1;
    record.strings = {u"one", u"%%1234", u"three"};
    const auto texts = Resolve(record);
    EXPECT_EQ(texts.ErrorText, u"Template one with %the parameter text\r\n and three.\r\n");
    EXPECT_EQ(texts.ErrorTextParams, u"one|%%1234|three");
}

TEST_F(OfflineMachine, UnknownSourcesHaveNoText) {
    testing::RecordFields record;
    record.source = u"Nobody";
    EXPECT_FALSE(Resolve(record).ErrorText);
}

}  // namespace
}  // namespace veltrano
