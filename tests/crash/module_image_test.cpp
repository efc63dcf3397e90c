// The PE image reader against objdump (binutils-mingw-w64), an independent reader of the same
// files: the exception directory of Wine's own x64 DLLs, entry by entry as objdump prints the
// .pdata section's bytes, found by FunctionAt at each function's first and last byte, and the
// bytes our reader gives for an RVA equal to those objdump prints for the same address. Skips
// where Wine's DLLs or objdump are not installed.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>

#include "crash/module_image.h"
#include "platform/host.h"

namespace veltrano::crash {
namespace {
namespace fs = std::filesystem;

constexpr char kObjdump[] = "/usr/bin/x86_64-w64-mingw32-objdump";
constexpr char kWineDlls[] = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";

std::string Run(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string output;
    if (!pipe)
        return output;
    char buffer[4096];
    while (const size_t n = fread(buffer, 1, sizeof buffer, pipe.get()))
        output.append(buffer, n);
    return output;
}

// objdump's "Contents of section" dump: the bytes by address.
std::vector<std::pair<uint64_t, std::vector<uint8_t>>> SectionBytes(const fs::path& dll,
                                                                    const char* section) {
    std::vector<std::pair<uint64_t, std::vector<uint8_t>>> lines;
    std::istringstream in(
        Run(std::string(kObjdump) + " -s -j " + section + " '" + dll.string() + "'"));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line.substr(0, std::min<size_t>(line.size(), 46)));
        std::string address;
        if (line.size() < 10 || line[0] != ' ' || !(fields >> address))
            continue;
        std::vector<uint8_t> bytes;
        std::string word;
        while (fields >> word) {
            for (size_t i = 0; i + 1 < word.size(); i += 2)
                bytes.push_back(static_cast<uint8_t>(std::stoul(word.substr(i, 2), nullptr, 16)));
        }
        lines.push_back({std::stoull(address, nullptr, 16), bytes});
    }
    return lines;
}

uint64_t ImageBase(const fs::path& dll) {
    std::istringstream in(Run(std::string(kObjdump) + " -p '" + dll.string() + "'"));
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("ImageBase", 0) == 0)
            return std::stoull(line.substr(line.find_last_of(" \t") + 1), nullptr, 16);
    }
    return 0;
}

TEST(ModuleImageTest, ExceptionDirectoryAndBytesAgreeWithObjdump) {
    if (!fs::exists(kObjdump) || !fs::exists(kWineDlls))
        GTEST_SKIP() << "no objdump of binutils-mingw-w64 or no Wine x64 DLLs";
    std::unique_ptr<FileSystem> host = MakeHostFileSystem();
    size_t checked = 0;
    for (const char* name : {"kernelbase.dll", "msvcrt.dll", "dbghelp.dll"}) {
        const fs::path dll = fs::path(kWineDlls) / name;
        if (!fs::exists(dll))
            continue;
        auto image = ModuleImage::Open(host->OpenForReading(Text(dll.u16string())));
        ASSERT_TRUE(image) << name;
        EXPECT_TRUE(image->isPe32Plus());
        const uint64_t base = ImageBase(dll);
        std::vector<uint8_t> table;
        uint64_t tableAt = 0;
        for (const auto& [address, bytes] : SectionBytes(dll, ".pdata")) {
            if (table.empty())
                tableAt = address;
            table.insert(table.end(), bytes.begin(), bytes.end());
        }
        ASSERT_GE(table.size(), 12u) << name;
        const auto u32 = [&](size_t at) {
            return table[at] | (table[at + 1] << 8) | (table[at + 2] << 16) |
                   (uint32_t{table[at + 3]} << 24);
        };
        for (size_t at = 0; at + 12 <= table.size(); at += 12) {
            const RuntimeFunction f{u32(at), u32(at + 4), u32(at + 8)};
            if (f.begin == 0)
                break;  // the section's padding
            for (const uint32_t rva : {f.begin, f.end - 1}) {
                const auto found = image->FunctionAt(rva);
                ASSERT_TRUE(found) << name << " " << std::hex << rva;
                EXPECT_EQ(found->begin, f.begin);
                EXPECT_EQ(found->end, f.end);
                EXPECT_EQ(found->unwindInfo, f.unwindInfo);
            }
            ++checked;
        }
        // The table's own bytes read by RVA, as objdump printed them.
        const auto bytes = image->Read(static_cast<uint32_t>(tableAt - base), 48);
        ASSERT_TRUE(bytes);
        EXPECT_EQ(*bytes, std::vector<uint8_t>(table.begin(), table.begin() + 48));
        EXPECT_FALSE(image->FunctionAt(0));  // the headers are no function
    }
    EXPECT_GT(checked, 1000u);
}

}  // namespace
}  // namespace veltrano::crash
