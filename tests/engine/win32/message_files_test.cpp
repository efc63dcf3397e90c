// Message texts and exception names through the real registry, loader and FormatMessageW.
#include <windows.h>

#include <gtest/gtest.h>

#include "engine/message_texts.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_message_tables.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system_services.h"
#include "shell/exception_names.h"
#include "support/engine_machine.h"

namespace veltrano {
namespace {
using testing::BuildRecord;

const Text kSourcesKey = u"SYSTEM\\CurrentControlSet\\services\\eventlog\\Application\\";
const Text kPublishersKey = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WINEVT\\Publishers\\";
const Text kGuid = u"{6B0B4F7E-4C2D-4F5A-9E3B-7A1C2D3E4F50}";

void SetMachineString(const Text& key, const Text& name, const Text& value) {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(key), 0, nullptr, 0, KEY_WRITE, nullptr,
                              &handle, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(handle, Wide(name), 0, REG_EXPAND_SZ,
                   reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * 2));
    RegCloseKey(handle);
}

class MessageFilesTest : public ::testing::Test {
  protected:
    // The keys live in the test prefix's registry and are written the same way by every test
    // process (ctest runs them in parallel), so none of them removes them.
    static void SetUpTestSuite() {
        wchar_t module[MAX_PATH];
        GetModuleFileNameW(nullptr, module, MAX_PATH);
        Text folder = FromWide(module);
        folder.resize(folder.rfind(u'\\'));
        // The path goes through ExpandEnvironmentStringsW as message file paths do.
        SetEnvironmentVariableW(L"VELTRANO_TEST_DIR", Wide(folder));
        const Text dll = u"%VELTRANO_TEST_DIR%\\veltrano_test_messages.dll";
        SetMachineString(kSourcesKey + u"Application Error", u"EventMessageFile", dll);
        SetMachineString(kSourcesKey + u"Application Hang", u"EventMessageFile", dll);
        SetMachineString(kSourcesKey + u"VeltranoTestPlain", u"EventMessageFile", dll);
        SetMachineString(kSourcesKey + u"VeltranoTestList", u"EventMessageFile",
                         dll + u";%SystemRoot%\\system32\\kernel32.dll");
        SetMachineString(kSourcesKey + u"VeltranoTestModern", u"providerGuid", kGuid);
        SetMachineString(kPublishersKey + kGuid, u"MessageFileName", dll);
    }
    void SetUp() override {
        machine.registry = &registry;
        machine.messages = &messages;
        machine.environment = &environment;
    }
    MessageTexts Resolve(const Text& source, uint32_t id, std::vector<Text> strings = {}) {
        testing::RecordFields fields;
        fields.source = source;
        fields.eventId = id;
        fields.strings = std::move(strings);
        bytes = BuildRecord(fields);
        return ResolveMessageTexts(
            machine, EventRecordView(bytes.data(), static_cast<uint32_t>(bytes.size())),
            u"Application");
    }

    Win32Registry registry;
    Win32MessageTables messages;
    Win32Environment environment;
    Machine machine;
    std::vector<uint8_t> bytes;
};

TEST_F(MessageFilesTest, CrashMessageHasNineLinesWithPathCodeAndReport) {
    const auto texts = Resolve(
        u"Application Error", 1000,
        testing::CrashStrings(u"notepad.exe", u"C:\\Windows\\notepad.exe", u"c0000005", u"rid-42"));
    ASSERT_TRUE(texts.ErrorText);
    const auto lines = SplitLines(*texts.ErrorText);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[2], u"Exception code: 0xc0000005");
    EXPECT_EQ(lines[6], u"Faulting application path: C:\\Windows\\notepad.exe");
    EXPECT_EQ(lines[8], u"Report Id: rid-42");
    EXPECT_EQ(texts.ErrorText->find(u"\n"), texts.ErrorText->find(u"\r\n") + 1);
    ASSERT_TRUE(texts.MessageTemplate);
    EXPECT_NE(texts.MessageTemplate->find(u"Report Id: %13"), Text::npos);
    EXPECT_EQ(texts.ErrorTextParams.substr(0, 12), u"notepad.exe|");
}

TEST_F(MessageFilesTest, HangMessageHasSixLines) {
    const auto texts = Resolve(u"Application Hang", 1002,
                               testing::HangStrings(u"app.exe", u"C:\\app.exe", u"rid-7"));
    ASSERT_TRUE(texts.ErrorText);
    const auto lines = SplitLines(*texts.ErrorText);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[4], u"Application Path: C:\\app.exe");
}

TEST_F(MessageFilesTest, TemplateWithThreeInsertsAndTwoStrings) {
    const auto texts = Resolve(u"VeltranoTestPlain", 3, {u"a.txt", u"b.txt"});
    EXPECT_EQ(texts.ErrorText, u"Copying %1 to %2 failed with %3.\r\n");
    EXPECT_EQ(texts.ErrorTextParams, u"");
    const auto full = Resolve(u"VeltranoTestPlain", 3, {u"a.txt", u"b.txt", u"error 5"});
    EXPECT_EQ(full.ErrorText, u"Copying a.txt to b.txt failed with error 5.\r\n");
    EXPECT_EQ(full.ErrorTextParams, u"a.txt|b.txt|error 5");
}

TEST_F(MessageFilesTest, ParameterMessageReplacesTheReference) {
    const auto texts = Resolve(u"VeltranoTestPlain", 4, {u"%%1234"});
    EXPECT_EQ(texts.ErrorText, u"The operation ended: %The device is not ready.\r\n\r\n");
}

TEST_F(MessageFilesTest, LeadingLineFeedBecomesCrLf) {
    const auto texts = Resolve(u"VeltranoTestPlain", 5);
    EXPECT_EQ(texts.ErrorText, u"\r\nStarted after an empty line.\r\n");
}

TEST_F(MessageFilesTest, FirstOfTwoFilesAndProviderGuid) {
    EXPECT_EQ(Resolve(u"VeltranoTestList", 6).ErrorText,
              u"Only the first message file of a list is used.\r\n");
    EXPECT_EQ(Resolve(u"VeltranoTestModern", 6).ErrorText,
              u"Only the first message file of a list is used.\r\n");
    EXPECT_FALSE(Resolve(u"VeltranoTestUnregistered", 6).ErrorText);
}

TEST_F(MessageFilesTest, ExceptionNamesFromTheSystemTables) {
    EXPECT_EQ(ExceptionCodeName(messages, 0xC0000005), u"Memory Access Violation");
    EXPECT_EQ(ExceptionCodeName(messages, 0xE0123456), u"");
    // A Windows-subsystem code (facility 8) is looked up by its low word: 5, access denied.
    const Text denied = ExceptionCodeName(messages, 0x80080005);
    EXPECT_FALSE(denied.empty());
    EXPECT_EQ(denied, messages.SystemMessage(5).value_or(u"?").substr(0, denied.size()));
    EXPECT_FALSE(denied.ends_with(u"\r\n"));
    // A system message for a plain code.
    EXPECT_FALSE(ExceptionCodeTextName(messages, u"0x2").empty());
}

}  // namespace
}  // namespace veltrano
