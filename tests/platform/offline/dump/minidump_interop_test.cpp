// Our reader against minidump_peer.py, an independent reading written from the published layout
// in Python: every figure of the shared sample dump, and of our writer's x64 and x86 dumps with
// either memory list (which checks the writer as well). Skips when there is no /usr/bin/python3
// or, for the sample, no shared samples.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "dump_test_files.h"
#include "dump_writer.h"
#include "support/samples.h"

namespace veltrano::testing {
namespace {
namespace fs = std::filesystem;
using namespace dump;

const char kPython[] = "/usr/bin/python3";

using Line = std::vector<std::string>;

// The peer's lines by their first field, in the order it printed them.
std::optional<std::map<std::string, std::vector<Line>>> PeerReading(const fs::path& file) {
    const fs::path script =
        fs::path(VELTRANO_SOURCE_DIR) / "tests/platform/offline/dump/minidump_peer.py";
    const std::string command =
        std::string(kPython) + " '" + script.string() + "' '" + file.string() + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        return std::nullopt;
    std::string output;
    char buffer[4096];
    while (const size_t n = fread(buffer, 1, sizeof buffer, pipe.get()))
        output.append(buffer, n);
    if (pclose(pipe.release()) != 0)
        return std::nullopt;
    std::map<std::string, std::vector<Line>> lines;
    std::istringstream in(output);
    std::string text;
    while (std::getline(in, text)) {
        Line fields;
        std::string field;
        std::istringstream split(text);
        while (std::getline(split, field, '\t'))
            fields.push_back(field);
        if (!text.empty() && text.back() == '\t')
            fields.emplace_back();
        lines[fields[0]].push_back(fields);
    }
    return lines;
}

std::string N(uint64_t value) {
    return std::to_string(value);
}

std::string U8(TextView text) {
    return Utf16ToUtf8(text);
}

Line ModuleLine(const DumpModule& m) {
    std::string version = "-";
    if (m.version) {
        version = N(m.version->fileVersion >> 32) + "," + N(m.version->fileVersion & 0xFFFFFFFF) +
                  "," + N(m.version->productVersion >> 32) + "," +
                  N(m.version->productVersion & 0xFFFFFFFF);
    }
    Line line{"module", N(m.base), N(m.size), N(m.checksum), N(m.timeStamp), version};
    switch (m.codeView.kind) {
        case DumpCodeView::Kind::Pdb70:
            line.insert(line.end(),
                        {"RSDS", Hex(m.codeView.guid), N(m.codeView.age), U8(m.codeView.pdbName)});
            break;
        case DumpCodeView::Kind::Pdb20:
            line.insert(line.end(), {"NB10", N(m.codeView.signature), N(m.codeView.age),
                                     U8(m.codeView.pdbName)});
            break;
        case DumpCodeView::Kind::None:
            line.insert(line.end(), {"-", "-", "-", "-"});
            break;
    }
    line.push_back(U8(m.name));
    return line;
}

// Our reading in the peer's lines.
std::map<std::string, std::vector<Line>> OurReading(Minidump& dump) {
    std::map<std::string, std::vector<Line>> lines;
    const DumpHeader& h = dump.header();
    lines["header"].push_back({"header", N(h.version), N(h.streamCount), N(h.directoryRva),
                               N(h.checksum), N(h.timeStamp), N(h.flags)});
    for (size_t i = 0; i < dump.streams().size(); ++i) {
        const DumpStream& s = dump.streams()[i];
        lines["stream"].push_back(
            {"stream", N(i), N(s.type), N(s.location.size), N(s.location.rva)});
    }
    if (const auto& s = dump.systemInfo()) {
        lines["system"].push_back({"system", N(s->processorArchitecture), N(s->processorLevel),
                                   N(s->processorRevision), N(s->processorCount), N(s->productType),
                                   N(s->majorVersion), N(s->minorVersion), N(s->buildNumber),
                                   N(s->platformId), N(s->suiteMask), U8(s->csdVersion)});
    }
    std::vector<std::pair<std::string, std::optional<DumpContext>>> contexts;
    if (const auto& e = dump.exception()) {
        std::string parameters;
        for (const uint64_t p : e->parameters)
            parameters += (parameters.empty() ? "" : ",") + N(p);
        lines["exception"].push_back({"exception", N(e->threadId), N(e->code), N(e->flags),
                                      N(e->record), N(e->address), parameters,
                                      N(e->contextLocation.size), N(e->contextLocation.rva)});
        contexts.emplace_back("exception", e->context);
    }
    for (const DumpModule& m : dump.modules())
        lines["module"].push_back(ModuleLine(m));
    for (const DumpUnloadedModule& m : dump.unloadedModules()) {
        lines["unloaded"].push_back(
            {"unloaded", N(m.base), N(m.size), N(m.checksum), N(m.timeStamp), U8(m.name)});
    }
    for (const DumpThread& t : dump.threads()) {
        lines["thread"].push_back({"thread", N(t.id), N(t.suspendCount), N(t.priorityClass),
                                   N(t.priority), N(t.teb), N(t.stackStart), N(t.stackMemory.size),
                                   N(t.stackMemory.rva), N(t.contextLocation.size),
                                   N(t.contextLocation.rva)});
        contexts.emplace_back(N(t.id), t.context);
    }
    if (const auto& m = dump.miscInfo()) {
        lines["misc"].push_back({"misc", N(m->flags), m->processId ? N(*m->processId) : "-",
                                 m->processCreateTime ? N(*m->processCreateTime) : "-"});
    }
    for (const DumpMemoryRange& r : dump.memory())
        lines["range"].push_back({"range", N(r.start), N(r.size), N(r.rva)});
    for (const auto& [owner, context] : contexts) {
        if (!context)
            continue;
        lines["context"].push_back(
            {"context", owner, N(context->ip), N(context->sp), N(context->fp)});
        for (const size_t n : {64, 16, 1}) {
            if (const auto bytes = dump.ReadMemory(context->sp, n)) {
                lines["memory"].push_back({"memory", owner, N(context->sp), Hex(*bytes)});
                break;
            }
        }
    }
    return lines;
}

// The peer prints the memory ranges in list order; ours are in address order.
void SortRanges(std::map<std::string, std::vector<Line>>& lines) {
    auto& ranges = lines["range"];
    std::sort(ranges.begin(), ranges.end(),
              [](const Line& a, const Line& b) { return std::stoull(a[1]) < std::stoull(b[1]); });
}

void ExpectSameReading(const fs::path& file) {
    if (!fs::exists(kPython))
        GTEST_SKIP() << "no " << kPython;
    auto peer = PeerReading(file);
    ASSERT_TRUE(peer) << "the peer failed on " << file;
    std::unique_ptr<FileSystem> host = MakeHostFileSystem();
    std::string problem;
    auto dump = ReadMinidump(*host, Text(file.u16string()), &problem);
    ASSERT_TRUE(dump) << problem;
    EXPECT_TRUE(dump->problems().empty()) << dump->problems().front();
    auto ours = OurReading(*dump);
    SortRanges(*peer);
    SortRanges(ours);
    const std::set<std::string> kinds{"header", "stream",   "system", "exception",
                                      "module", "unloaded", "thread", "misc",
                                      "range",  "context",  "memory"};
    // Every figure the dump has is compared: the peer prints nothing else.
    for (const auto& [kind, list] : *peer)
        EXPECT_TRUE(kinds.count(kind)) << kind;
    for (const std::string& kind : kinds) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(ours[kind], (*peer)[kind]);
    }
    EXPECT_GT((*peer)["context"].size(), 0u);
    EXPECT_GT((*peer)["memory"].size(), 0u);
}

TEST(DumpInterop, TheSampleReadsAsThePeerReadsIt) {
    const fs::path file = SamplesDir() / "dumps" / "crashtest_invalid_parameter_x64.dmp";
    if (!fs::exists(file))
        GTEST_SKIP() << "no shared samples at " << SamplesDir();
    ExpectSameReading(file);
}

TEST(DumpInterop, OurDumpsReadAsThePeerReadsThem) {
    TempTree tree;
    for (const bool x64 : {true, false}) {
        for (const bool memory64 : {false, true}) {
            SCOPED_TRACE(std::string(x64 ? "x64" : "x86") + (memory64 ? " memory64" : ""));
            DumpPlan plan = x64 ? SmallX64Dump() : SmallX86Dump();
            plan.memory64 = memory64;
            ExpectSameReading(
                tree.Write(std::string(x64 ? "x64" : "x86") + (memory64 ? "-full" : "") + ".dmp",
                           WriteDump(plan).bytes));
        }
    }
}

}  // namespace
}  // namespace veltrano::testing
