// Message files built by the MinGW-w64 message compiler and resource linker, placed on a test
// drive and read through the message tables port.
#include "platform/offline/messages/pe_message_tables.h"

#include <gtest/gtest.h>

#include "platform/offline/messages/format_message.h"
#include "support/message_dlls.h"
#include "support/test_drive.h"

namespace veltrano {
namespace {

constexpr TextView kSystem32 = u"C:\\Windows\\System32\\";

class PeMessageTablesTest : public ::testing::Test {
  protected:
    // Puts a built DLL onto the drive; false (and the test skipped) when it was not built.
    bool Install(const std::string& dll, const std::string& where) {
        const auto bytes = testing::MessageDll(dll);
        if (!bytes) {
            missing_ = dll;
            return false;
        }
        drive.tree().Write(where, *bytes);
        return true;
    }
    void SkipIfMissing() {
        if (!missing_.empty())
            GTEST_SKIP() << missing_ << " was not built (needs MinGW-w64 binutils)";
    }
    std::optional<Text> Format(TextView path, uint32_t id, std::vector<Text> args) {
        auto module = messages.LoadAsData(path);
        if (!module)
            return std::nullopt;
        return module->Format(id, &args);
    }
    std::optional<Text> Template(TextView path, uint32_t id) {
        auto module = messages.LoadAsData(path);
        if (!module)
            return std::nullopt;
        return module->Format(id, nullptr);
    }

    testing::TestDrive drive;
    PeMessageTables messages{drive.files(), u"C:\\Windows"};
    std::string missing_;
};

TEST_F(PeMessageTablesTest, FormatsMessagesOfTheEnglishTable) {
    Install("test_messages.dll", "Program Files/Tool/messages.dll");
    SkipIfMissing();
    const Text dll = u"C:\\Program Files\\Tool\\messages.dll";
    EXPECT_EQ(Format(dll, 1, {u"a", u"b", u"c"}), u"Template a with b and c.\r\n");
    EXPECT_EQ(Template(dll, 1), u"Template %1 with %2 and %3.\r\n");
    EXPECT_EQ(Template(dll, 2), u"\r\nStarts with a line feed.\r\n")
        << "the compiler writes bare line feeds; formatting makes them CR LF as Windows does";
    EXPECT_EQ(Format(dll, 3, {u"ab", u"12", u"xyz", u"wide"}),
              u"[   ab] [12   ] [xy] [a] [  12] [wide] [wide]\r\n")
        << "the \"*\" width takes insert 1 (no number) and the value comes after insert 3";
    EXPECT_EQ(Format(dll, 4, {}), u"100% sure.!\t\rdone");
    EXPECT_EQ(Template(dll, 4), u"100%% sure%.%!\t\rdone");
    EXPECT_EQ(Template(dll, 5), u"Two lines:\r\nsecond line with Grüße €.\r\n");
    EXPECT_EQ(Template(dll, 1234), u"the parameter text\r\n");
    EXPECT_EQ(Format(dll, 0x00FF0010, {u"x"}), u"Far block x.\r\n") << "facility System";
    EXPECT_EQ(Template(dll, 6), u"Quote \"x\", back\\slash,\ttab, Ω.\r\n");
    EXPECT_FALSE(Template(dll, 7)) << "not in the module, and the drive has no system table";
}

TEST_F(PeMessageTablesTest, AnsiEntriesReadLikeUnicodeOnes) {
    Install("test_messages.dll", "m/unicode.dll");
    Install("test_messages_ansi.dll", "m/ansi.dll");
    SkipIfMissing();
    for (const uint32_t id : {1u, 2u, 3u, 4u, 5u, 1234u, 0x00FF0010u}) {
        EXPECT_EQ(Template(u"C:\\m\\ansi.dll", id), Template(u"C:\\m\\unicode.dll", id)) << id;
    }
    const auto ansi = messages.TableOf(u"C:\\m\\ansi.dll");
    ASSERT_TRUE(ansi);
    EXPECT_EQ(ansi->Find(5), u"Two lines:\nsecond line with Grüße €.\n");
}

TEST_F(PeMessageTablesTest, LanguageChoice) {
    Install("test_messages.dll", "m/english_german.dll");
    Install("german_french.dll", "m/german_french.dll");
    Install("german_british.dll", "m/german_british.dll");
    SkipIfMissing();
    EXPECT_EQ(messages.TableOf(u"C:\\m\\english_german.dll")->language(), 0x409);
    EXPECT_EQ(Format(u"C:\\m\\german_french.dll", 1, {u"x"}), u"Deutsch x\r\n") << "the first";
    EXPECT_EQ(Format(u"C:\\m\\german_british.dll", 1, {u"x"}), u"Colour x\r\n") << "any English";
}

TEST_F(PeMessageTablesTest, LanguageResourceFilesBesideTheModule) {
    Install("german_french.dll", "Windows/System32/app.dll");
    Install("test_messages.dll", "Windows/System32/en-US/app.dll.mui");
    Install("no_messages.dll", "Windows/System32/lnonly.dll");
    Install("german_british.dll", "Windows/System32/fr-FR/lnonly.dll.mui");
    Install("german_french.dll", "Windows/System32/de-DE/lnonly.dll.mui");
    SkipIfMissing();
    EXPECT_EQ(Format(u"C:\\Windows\\System32\\app.dll", 1, {u"a", u"b", u"c"}),
              u"Template a with b and c.\r\n")
        << "US English from the resource file beats the module's own German";
    EXPECT_EQ(Format(u"c:\\windows\\system32\\LNONLY.DLL", 1, {u"x"}), u"Deutsch x\r\n")
        << "without English, the first culture folder in name order";
}

TEST_F(PeMessageTablesTest, SystemTablesOfTheDrive) {
    Install("test_messages.dll", "m/messages.dll");
    Install("test_kernelbase.dll", "Windows/System32/kernelbase.dll");
    Install("test_ntdll.dll", "Windows/System32/ntdll.dll");
    Install("no_messages.dll", "m/empty.dll");
    SkipIfMissing();
    EXPECT_EQ(messages.SystemMessage(2), u"The system cannot find the file specified.\r\n");
    EXPECT_EQ(messages.SystemMessage(0x3E8), u"System text for 1000 with %1.\r\n");
    EXPECT_FALSE(messages.SystemMessage(3));
    EXPECT_EQ(
        messages.NativeApiMessage(0xC0000005),
        u"The instruction at 0x%p referenced memory at 0x%p. The memory could not be %s.\r\n");
    EXPECT_EQ(messages.NativeApiMessage(0x80000003),
              u"{EXCEPTION}\r\nBreakpoint\r\nA breakpoint has been reached.\r\n");
    EXPECT_EQ(messages.NativeApiMessage(0), u"STATUS_SUCCESS\r\n");
    EXPECT_FALSE(messages.NativeApiMessage(0xC0000006));

    // Identifiers a module lacks come from the system table, as with FORMAT_MESSAGE_FROM_SYSTEM.
    EXPECT_EQ(Format(u"C:\\m\\messages.dll", 1460, {}),
              u"This operation returned because the timeout period expired.\r\n");
    EXPECT_EQ(Format(u"C:\\m\\messages.dll", 1000, {u"x"}), u"System text for 1000 with x.\r\n");
    EXPECT_EQ(Format(u"C:\\m\\empty.dll", 2, {}),
              u"The system cannot find the file specified.\r\n");
    EXPECT_FALSE(Format(u"C:\\m\\empty.dll", 1, {}));
}

TEST_F(PeMessageTablesTest, OlderSystemsKeepTheSystemTableInKernel32) {
    Install("test_kernelbase.dll", "Windows/System32/kernel32.dll");
    Install("no_messages.dll", "Windows/System32/kernelbase.dll");
    SkipIfMissing();
    EXPECT_EQ(messages.SystemMessage(5), u"Access is denied.\r\n");
    EXPECT_FALSE(messages.NativeApiMessage(0xC0000005)) << "no ntdll.dll on the drive";
}

TEST_F(PeMessageTablesTest, ModulesAreFoundAsTheLoaderFindsThem) {
    Install("test_messages.dll", "Windows/System32/netmsg.dll");
    Install("test_messages.dll", "Windows/evtmsg.dll");
    Install("test_messages.dll", "m/noext");
    SkipIfMissing();
    EXPECT_TRUE(messages.LoadAsData(u"netmsg.dll"));
    EXPECT_TRUE(messages.LoadAsData(u"NETMSG")) << "\".dll\" is added to a bare name";
    EXPECT_TRUE(messages.LoadAsData(u"evtmsg.dll")) << "the Windows folder is searched too";
    EXPECT_TRUE(messages.LoadAsData(u"C:\\m\\noext.")) << "a final dot means no extension";
    EXPECT_FALSE(messages.LoadAsData(u"C:\\m\\noext"));
    EXPECT_FALSE(messages.LoadAsData(u"missing.dll"));
    EXPECT_FALSE(messages.LoadAsData(u""));
}

TEST_F(PeMessageTablesTest, OnlyPeFilesOnTheDriveLoad) {
    drive.tree().Write("m/text.dll", std::string("MZ but nothing more"));
    drive.tree().Write("m/empty.dll", std::string());
    drive.tree().MakeFolder("m/folder.dll");
    EXPECT_FALSE(messages.LoadAsData(u"C:\\m\\text.dll"));
    EXPECT_FALSE(messages.LoadAsData(u"C:\\m\\empty.dll"));
    EXPECT_FALSE(messages.LoadAsData(u"C:\\m\\folder.dll"));
    EXPECT_FALSE(messages.LoadAsData(u"D:\\m\\text.dll")) << "not on the analysed drive";
    EXPECT_FALSE(messages.LoadAsData(drive.tree().RootText() + u"/m/text.dll"));
    EXPECT_FALSE(messages.SystemMessage(2));
    EXPECT_FALSE(messages.NativeApiMessage(0));
}

TEST_F(PeMessageTablesTest, EventMessagesHaveTheLineLayoutsWindowsWrites) {
    Install("event_messages.dll", "Windows/System32/wer.dll");
    SkipIfMissing();
    const std::vector<Text> crash = {u"notepad.exe",
                                     u"6.1.7600.16385",
                                     u"4a5bc9b3",
                                     u"ntdll.dll",
                                     u"6.1.7601.17514",
                                     u"4ce7c8f9",
                                     u"c0000005",
                                     u"00052f52",
                                     u"1234",
                                     u"01cb2f1d2bdf0f33",
                                     u"C:\\Windows\\system32\\notepad.exe",
                                     u"C:\\Windows\\SYSTEM32\\ntdll.dll",
                                     u"0f7c2a0b-9e3c-11df-b5a5-005056c00008"};
    const auto error = Format(u"%SystemRoot%\\System32\\wer.dll", 1000, crash);
    EXPECT_FALSE(error) << "the engine expands the path; the port takes it as it stands";
    const auto text = Format(u"C:\\Windows\\System32\\wer.dll", 1000, crash);
    ASSERT_TRUE(text);
    const auto lines = SplitLines(*text);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0],
              u"Faulting application name: notepad.exe, version: 6.1.7600.16385, time "
              u"stamp: 0x4a5bc9b3");
    EXPECT_EQ(lines[2], u"Exception code: 0xc0000005");
    EXPECT_EQ(lines[6], u"Faulting application path: C:\\Windows\\system32\\notepad.exe");
    EXPECT_EQ(lines[8], u"Report Id: 0f7c2a0b-9e3c-11df-b5a5-005056c00008");

    const auto hang =
        Format(u"C:\\Windows\\System32\\wer.dll", 1002,
               {u"notepad.exe", u"6.1.7600.16385", u"1b4", u"01cb2f1d2bdf0f33", u"16",
                u"C:\\Windows\\system32\\notepad.exe", u"0f7c2a0b-9e3c-11df-b5a5-005056c00008"});
    ASSERT_TRUE(hang);
    const auto hangLines = SplitLines(*hang);
    ASSERT_EQ(hangLines.size(), 6u);
    EXPECT_EQ(hangLines[4], u"Application Path: C:\\Windows\\system32\\notepad.exe");
    EXPECT_EQ(hangLines[5], u"Report Id: 0f7c2a0b-9e3c-11df-b5a5-005056c00008");
}

// Every shortening and many scrambled copies of a message file load without a fault; the
// sanitizers of the native build watch each access.
TEST_F(PeMessageTablesTest, DamagedFilesAreReadSafely) {
    VELTRANO_MESSAGE_DLL(dll, "test_messages.dll");
    const auto check = [](const std::vector<uint8_t>& bytes) {
        const auto table = ChooseMessageTable(ByteView(bytes.data(), bytes.size()));
        if (!table)
            return;
        for (const uint32_t id : table->Ids()) {
            if (const auto text = table->Find(id))
                (void)FormatMessageText(*text, nullptr);
        }
    };
    for (size_t size = 0; size < dll.size(); size += 7) {
        check(std::vector<uint8_t>(dll.begin(), dll.begin() + size));
    }
    uint32_t seed = 99;
    for (int round = 0; round < 2000; ++round) {
        auto bytes = dll;
        for (int k = 0; k < 4; ++k) {
            seed = seed * 1103515245 + 12345;
            bytes[(seed >> 8) % bytes.size()] = static_cast<uint8_t>(seed >> 24);
        }
        check(bytes);
    }
}

}  // namespace
}  // namespace veltrano
