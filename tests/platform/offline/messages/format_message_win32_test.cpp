// Our reading and formatting of message files against the platform's own LoadLibraryExW and
// FormatMessageW (Wine's in the test runs) on the same files: every message of the chosen
// language, with inserts ignored and with an argument array of strings.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/offline/messages/format_message.h"
#include "platform/offline/messages/message_table.h"
#include "support/message_dlls.h"

namespace veltrano {
namespace {

struct ModuleHandle {
    HMODULE module;
    ~ModuleHandle() {
        if (module)
            FreeLibrary(module);
    }
};

std::optional<Text> PlatformFormat(DWORD source, HMODULE module, uint32_t id, uint16_t language,
                                   const std::vector<Text>* arguments) {
    std::vector<DWORD_PTR> pointers;
    if (arguments) {
        for (const auto& argument : *arguments) {
            pointers.push_back(reinterpret_cast<DWORD_PTR>(argument.c_str()));
        }
    }
    const DWORD flags = source | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                        (arguments ? FORMAT_MESSAGE_ARGUMENT_ARRAY : FORMAT_MESSAGE_IGNORE_INSERTS);
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(flags, module, id, language, reinterpret_cast<wchar_t*>(&buffer), 0,
                       arguments ? reinterpret_cast<va_list*>(pointers.data()) : nullptr);
    if (length == 0 || !buffer)
        return std::nullopt;
    Text text(buffer, buffer + length);
    LocalFree(buffer);
    return text;
}

// Formats whose argument the platform reads as a number or a character get the string's
// address there; those messages are compared with inserts ignored only.
bool OnlyStringInserts(TextView text) {
    for (size_t pos = text.find(u'%'); pos != TextView::npos; pos = text.find(u'%', pos + 2)) {
        if (pos + 1 >= text.size() || text[pos + 1] < u'1' || text[pos + 1] > u'9')
            continue;
        size_t end = pos + 2;
        if (end < text.size() && text[end] >= u'0' && text[end] <= u'9')
            ++end;
        if (end >= text.size() || text[end] != u'!')
            continue;
        const size_t close = text.find(u'!', end + 1);
        const TextView format = text.substr(end + 1, close - end - 1);
        if (format.find_first_of(u"*cCdiuxXo") != TextView::npos)
            return false;
    }
    return true;
}

void CompareWithPlatform(const std::filesystem::path& file, DWORD source) {
    SCOPED_TRACE(file.string());
    const auto bytes = testing::ReadHostFile(file).value_or(std::vector<uint8_t>());
    const auto table = ChooseMessageTable(ByteView(bytes.data(), bytes.size()));
    ASSERT_TRUE(table);
    ModuleHandle loaded{LoadLibraryExW(file.wstring().c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)};
    ASSERT_TRUE(loaded.module);
    HMODULE module = source == FORMAT_MESSAGE_FROM_HMODULE ? loaded.module : nullptr;
    std::vector<Text> arguments;
    for (int i = 1; i <= 99; ++i)
        arguments.push_back(Text(u"arg").append(DecimalText(i)));
    size_t compared = 0;
    for (const uint32_t id : table->Ids()) {
        const auto raw = table->Find(id);
        ASSERT_TRUE(raw) << std::hex << id;
        EXPECT_EQ(FormatMessageText(*raw, nullptr),
                  PlatformFormat(source, module, id, table->language(), nullptr))
            << std::hex << id;
        if (OnlyStringInserts(*raw)) {
            EXPECT_EQ(FormatMessageText(*raw, &arguments),
                      PlatformFormat(source, module, id, table->language(), &arguments))
                << std::hex << id;
        }
        ++compared;
    }
    EXPECT_GT(compared, 0u);
}

TEST(PlatformFormatMessage, OurFixtures) {
    for (const char* name : {"test_messages.dll", "test_messages_ansi.dll", "german_british.dll",
                             "event_messages.dll", "test_ntdll.dll"}) {
        if (!testing::MessageDll(name))
            GTEST_SKIP() << name << " was not built";
        CompareWithPlatform(testing::MessageDllPath(name), FORMAT_MESSAGE_FROM_HMODULE);
    }
}

TEST(PlatformFormatMessage, SystemTable) {
    wchar_t system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    const std::filesystem::path kernelbase = std::filesystem::path(system) / L"kernelbase.dll";
    const auto bytes = testing::ReadHostFile(kernelbase).value_or(std::vector<uint8_t>());
    if (!ChooseMessageTable(ByteView(bytes.data(), bytes.size()))) {
        GTEST_SKIP() << "this system keeps its messages elsewhere (a .mui file)";
    }
    CompareWithPlatform(kernelbase, FORMAT_MESSAGE_FROM_SYSTEM);
}

}  // namespace
}  // namespace veltrano
