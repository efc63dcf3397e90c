// The shared sample dump (a crash reporter's dump of a process in the C runtime's
// invalid-parameter handler, Windows 10 x64) analysed, against minidump_peer.py's independent
// reading of the same file: the exception, the modules, and every frame's module and offset
// worked out from the peer's own module list. Its modules' files are not at hand, so the
// callers come from the scan. Skips without the samples or /usr/bin/python3.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>

#include "crash/crash_analysis.h"
#include "platform/host.h"
#include "support/samples.h"

namespace veltrano::crash {
namespace {
namespace fs = std::filesystem;

using Line = std::vector<std::string>;

std::map<std::string, std::vector<Line>> PeerReading(const fs::path& file) {
    const fs::path script =
        fs::path(VELTRANO_SOURCE_DIR) / "tests/platform/offline/dump/minidump_peer.py";
    const std::string command =
        "/usr/bin/python3 '" + script.string() + "' '" + file.string() + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::map<std::string, std::vector<Line>> lines;
    if (!pipe)
        return lines;
    std::string output;
    char buffer[4096];
    while (const size_t n = fread(buffer, 1, sizeof buffer, pipe.get()))
        output.append(buffer, n);
    std::istringstream in(output);
    std::string text;
    while (std::getline(in, text)) {
        Line fields;
        std::string field;
        std::istringstream split(text);
        while (std::getline(split, field, '\t'))
            fields.push_back(field);
        if (!fields.empty())
            lines[fields[0]].push_back(fields);
    }
    return lines;
}

struct PeerModule {
    uint64_t base = 0;
    uint64_t size = 0;
    std::string name;  // the file name, lower-case
};

std::string FileNameLower(std::string path) {
    path = path.substr(path.find_last_of("\\/") + 1);
    for (char& c : path)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return path;
}

TEST(CrashSampleTest, AnalysisAgreesWithThePeersReading) {
    const fs::path sample = testing::SamplesDir() / "dumps" / "crashtest_invalid_parameter_x64.dmp";
    if (!fs::exists(sample) || !fs::exists("/usr/bin/python3"))
        GTEST_SKIP() << "no shared sample dump or no /usr/bin/python3";
    auto peer = PeerReading(sample);
    ASSERT_EQ(peer["exception"].size(), 1u);
    std::vector<PeerModule> modules;
    for (const Line& m : peer["module"])
        modules.push_back({std::stoull(m[1]), std::stoull(m[2]), FileNameLower(m.back())});
    const auto moduleAt = [&](uint64_t address) -> const PeerModule* {
        for (const PeerModule& m : modules) {
            if (address >= m.base && address - m.base < m.size)
                return &m;
        }
        return nullptr;
    };

    std::unique_ptr<FileSystem> host = MakeHostFileSystem();
    const CrashAnalysis a = AnalyseDump(*host, Text(sample.u16string()));
    ASSERT_TRUE(a.readable);
    ASSERT_TRUE(a.hasException);
    const Line& e = peer["exception"][0];
    EXPECT_EQ(a.threadId, std::stoul(e[1]));
    EXPECT_EQ(a.exceptionCode, std::stoul(e[2]));
    EXPECT_EQ(a.exceptionCode, 0xC000000Du);  // STATUS_INVALID_PARAMETER, as the manifest says
    EXPECT_EQ(a.exceptionAddress, std::stoull(e[5]));
    // The reporter wrote no address for a raised invalid parameter: it lies in no module.
    EXPECT_EQ(a.faultingModule.has_value(), moduleAt(a.exceptionAddress) != nullptr);
    EXPECT_EQ(a.processId, 6256u);
    EXPECT_EQ(a.osVersion, u"10.0.17134");

    ASSERT_EQ(a.modules.size(), modules.size());
    ASSERT_EQ(a.modules.size(), 31u);
    for (size_t i = 0; i < modules.size(); ++i) {
        EXPECT_EQ(Utf16ToUtf8(a.modules[i].name), modules[i].name);
        EXPECT_EQ(a.modules[i].base, modules[i].base);
    }
    EXPECT_EQ(a.modules[0].name, u"crashtest.exe");
    EXPECT_EQ(a.modules[0].base, 0x7FF61BC80000u);

    // The first frame is the exception context's instruction pointer; every frame lies where
    // the peer's module list puts it.
    const Line* context = nullptr;
    for (const Line& c : peer["context"]) {
        if (c[1] == "exception")
            context = &c;
    }
    ASSERT_NE(context, nullptr);
    ASSERT_GE(a.frames.size(), 2u);
    EXPECT_EQ(a.frames[0].source, FrameSource::Context);
    EXPECT_EQ(a.frames[0].address, std::stoull((*context)[2]));
    for (const Frame& f : a.frames) {
        const PeerModule* m = moduleAt(f.address);
        ASSERT_EQ(f.moduleIndex.has_value(), m != nullptr) << f.address;
        if (m) {
            EXPECT_EQ(Utf16ToUtf8(a.modules[*f.moduleIndex].name), m->name);
            EXPECT_EQ(f.offset, f.address - m->base);
        }
    }
    // The process called the handler from its own code: the signature names crashtest.exe.
    ASSERT_TRUE(a.signature);
    EXPECT_EQ(a.signature->module, u"crashtest.exe");
    EXPECT_EQ(a.signature->hash.size(), 8u);
}

}  // namespace
}  // namespace veltrano::crash
