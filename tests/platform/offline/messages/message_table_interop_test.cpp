// Our message table reader against an independent one: binutils' windres decompiles a module's
// resources and prints each message table entry in its "MC syntax dump". Every entry of the
// language we choose must read the same. Runs on our own fixtures and, where Wine is installed,
// on the real message tables of its kernelbase.dll, mferror.dll and wininet.dll.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "base/windows_1252.h"
#include "platform/offline/messages/message_table.h"
#include "support/host_tools.h"
#include "support/message_dlls.h"

namespace veltrano {
namespace {

constexpr const char* kWineDlls = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/";

// windres' escapes: "" for a quote, C escapes, \ooo below 256, \xhhhh above.
Text Unescape(const std::string& line) {
    Text text;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            text += u'"';
            ++i;
        } else if (c != '\\' || i + 1 >= line.size()) {
            text += static_cast<char16_t>(static_cast<unsigned char>(c));
        } else {
            const char e = line[++i];
            const std::string simple = "nrtabfv\\";
            const std::u16string meaning = u"\n\r\t\a\b\f\v\\";
            if (simple.find(e) != std::string::npos) {
                text += meaning[simple.find(e)];
            } else if (e == 'x') {
                text += static_cast<char16_t>(std::stoul(line.substr(i + 1, 4), nullptr, 16));
                i += 4;
            } else {
                text += static_cast<char16_t>(std::stoul(line.substr(i, 3), nullptr, 8));
                i += 2;
            }
        }
    }
    return text.substr(0, text.find(u'\0'));  // entries end at their first zero
}

// Language -> message identifier -> text, for every message table windres finds.
using Dump = std::map<uint16_t, std::map<uint32_t, Text>>;

Dump WindresDump(const std::string& file) {
    Dump dump;
    std::istringstream in(
        testing::HostToolOutput("x86_64-w64-mingw32-windres -O rc -i '" + file + "'"));
    std::string line;
    uint16_t language = 0;
    bool table = false;
    while (std::getline(in, line)) {
        unsigned primary = 0, sub = 0;
        if (std::sscanf(line.c_str(), "LANGUAGE %u, %u", &primary, &sub) == 2) {
            language = static_cast<uint16_t>((sub << 10) | primary);
            table = false;
        } else if (line.find("1 11 /* RT_MESSAGETABLE */") == 0) {
            table = true;
        } else if (table && line.find("   MessageId = 0x") == 0) {
            const uint32_t id = static_cast<uint32_t>(std::stoul(line.substr(17), nullptr, 16));
            std::string text;
            std::getline(in, text);
            dump[language][id] = Unescape(text.substr(std::min<size_t>(3, text.size())));
        }
    }
    return dump;
}

void CompareWithWindres(const std::filesystem::path& file, bool ansi) {
    SCOPED_TRACE(file.string());
    const Dump dump = WindresDump(file.string());
    ASSERT_FALSE(dump.empty()) << "windres found no message table";
    const auto bytes = testing::ReadHostFile(file).value_or(std::vector<uint8_t>());
    const auto table = ChooseMessageTable(ByteView(bytes.data(), bytes.size()));
    ASSERT_TRUE(table);
    if (dump.count(kLanguageEnglishUs)) {
        EXPECT_EQ(table->language(), kLanguageEnglishUs);
    }
    ASSERT_TRUE(dump.count(table->language()));
    const auto& expected = dump.at(table->language());
    std::vector<uint32_t> theirIds;
    for (const auto& [id, text] : expected) {
        theirIds.push_back(id);
        // windres prints the bytes of ANSI entries, whose code page it does not know.
        const std::vector<uint8_t> bytes(text.begin(), text.end());
        const Text theirs = ansi ? Windows1252Text(ByteView(bytes.data(), bytes.size())) : text;
        EXPECT_EQ(table->Find(id), theirs) << std::hex << id;
    }
    auto ourIds = table->Ids();
    std::sort(ourIds.begin(), ourIds.end());
    EXPECT_EQ(ourIds, theirIds);
}

class WindresInterop : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!testing::HaveHostTool("x86_64-w64-mingw32-windres")) {
            GTEST_SKIP() << "x86_64-w64-mingw32-windres not installed (binutils-mingw-w64-x86-64)";
        }
    }
};

TEST_F(WindresInterop, OurFixtures) {
    for (const char* name : {"test_messages.dll", "test_messages_ansi.dll", "german_british.dll",
                             "german_french.dll", "test_ntdll.dll", "event_messages.dll"}) {
        if (!testing::MessageDll(name))
            GTEST_SKIP() << name << " was not built";
        CompareWithWindres(testing::MessageDllPath(name),
                           std::string(name).find("ansi") != std::string::npos);
    }
}

TEST_F(WindresInterop, WineSystemModules) {
    for (const char* name : {"kernelbase.dll", "mferror.dll", "wininet.dll"}) {
        const std::filesystem::path file = std::string(kWineDlls) + name;
        if (!std::filesystem::exists(file))
            GTEST_SKIP() << file << " missing (Debian package wine64)";
        CompareWithWindres(file, false);
    }
}

}  // namespace
}  // namespace veltrano
