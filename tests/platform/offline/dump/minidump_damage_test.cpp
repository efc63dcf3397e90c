// Damaged dumps: each offset, size and count the reader takes from a file made wrong in turn, and
// files cut short at every stream's start, middle and end. A dump whose header or directory is
// damaged is refused with the reason; any other damage leaves out what it touches and says so.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/byte_store.h"
#include "base/byte_view.h"
#include "dump_test_files.h"
#include "dump_writer.h"
#include "platform/offline/dump/minidump_format.h"
#include "support/samples.h"

namespace veltrano::testing {
namespace {
using namespace dump;

bool HasProblem(const Minidump& dump, const std::string& part) {
    for (const std::string& p : dump.problems()) {
        if (p.find(part) != std::string::npos)
            return true;
    }
    return false;
}

std::string Problems(const Minidump& dump) {
    std::string all;
    for (const std::string& p : dump.problems())
        all += p + "\n";
    return all;
}

class DamagedDumpTest : public ::testing::Test {
  protected:
    DamagedDumpTest() : written(WriteDump(SmallX64Dump())), bytes(written.bytes) {}

    // The reading of the damaged bytes, which must be refused with a reason containing why.
    void ExpectRefused(const std::string& why) {
        std::string problem;
        EXPECT_FALSE(files.Read(bytes, &problem));
        EXPECT_NE(problem.find(why), std::string::npos) << problem;
    }
    // The reading of the damaged bytes, which must be had with a problem containing why.
    Minidump ReadWithProblem(const std::string& why) {
        std::string problem;
        auto dump = files.Read(bytes, &problem);
        if (!dump) {
            ADD_FAILURE() << problem;
            return *files.Read(written.bytes);
        }
        EXPECT_TRUE(HasProblem(*dump, why)) << Problems(*dump);
        return std::move(*dump);
    }
    DumpLocation Stream(uint32_t type) const { return written.streams.at(type); }
    void Patch32(uint64_t at, uint32_t value) { StoreLe32(bytes, at, value); }
    void Patch64(uint64_t at, uint64_t value) { StoreLe64(bytes, at, value); }
    size_t DirectoryEntry(uint32_t type) const {
        for (size_t i = 0;; ++i) {
            const size_t at = kHeaderSize + i * kDirectoryEntrySize;
            if (ByteView(written.bytes.data(), written.bytes.size()).U32(at) == type)
                return at;
        }
    }

    WrittenDump written;
    std::vector<uint8_t> bytes;
    DumpFiles files;
};

TEST_F(DamagedDumpTest, WhatIsNoMinidumpIsRefused) {
    bytes.clear();
    ExpectRefused("shorter than a minidump header");
    bytes.assign(written.bytes.begin(), written.bytes.begin() + 31);
    ExpectRefused("shorter than a minidump header");
    bytes = written.bytes;
    bytes[3] = 'Z';
    ExpectRefused("no MDMP signature");
    bytes = written.bytes;
    Patch32(kHeaderVersion, 0xA794);
    ExpectRefused("unknown version");
    std::string problem;
    EXPECT_FALSE(ReadMinidump(files.files(), u"C:\\none.dmp", &problem));
    EXPECT_EQ(problem, "cannot be opened");
}

TEST_F(DamagedDumpTest, DirectoryPastTheEndOrAbsurdlyLargeIsRefused) {
    Patch32(kHeaderDirectoryRva, static_cast<uint32_t>(bytes.size()));
    ExpectRefused("the stream directory lies past the end of the file");
    Patch32(kHeaderDirectoryRva, 0xFFFFFFFF);
    ExpectRefused("the stream directory lies past the end of the file");
    Patch32(kHeaderDirectoryRva, static_cast<uint32_t>(bytes.size() - 20));
    ExpectRefused("the stream directory lies past the end of the file");
    bytes = written.bytes;
    Patch32(kHeaderStreamCount, 0xFFFFFFFF);
    ExpectRefused("claims 4294967295 streams");
    // Within the limit, yet more than the file holds.
    Patch32(kHeaderStreamCount, 4000);
    ExpectRefused("the stream directory lies past the end of the file");
}

TEST_F(DamagedDumpTest, AStreamPastTheEndIsReadAsFarAsTheFileHoldsIt) {
    const size_t entry = DirectoryEntry(kModuleListStream);
    // The stream's size runs past the end: its modules are all in the file still.
    Patch32(entry + 4, static_cast<uint32_t>(bytes.size() - Stream(kModuleListStream).rva + 100));
    Minidump dump = ReadWithProblem("the module list stream runs past the end of the file");
    EXPECT_EQ(dump.modules().size(), 3u);
    EXPECT_TRUE(dump.exception());

    Patch32(entry + 4, 0xFFFFFFFF);
    dump = ReadWithProblem("the module list stream is too large to read");
    EXPECT_TRUE(dump.modules().empty());
    EXPECT_EQ(dump.threads().size(), 2u);

    bytes = written.bytes;
    Patch32(entry + 8, static_cast<uint32_t>(bytes.size()));
    dump = ReadWithProblem("the module list stream lies past the end of the file");
    EXPECT_TRUE(dump.modules().empty());
}

TEST_F(DamagedDumpTest, StreamsOfUnknownTypesAndUnusedEntriesAreSkipped) {
    Patch32(DirectoryEntry(kExceptionStream), 0);  // UnusedStream
    Patch32(DirectoryEntry(0x47670001), 0x7FFFFFFF);
    Patch32(DirectoryEntry(0x47670001) + 8, 0xFFFFFFF0);
    auto dump = files.Read(bytes);
    ASSERT_TRUE(dump);
    EXPECT_FALSE(dump->exception());
    EXPECT_TRUE(dump->problems().empty()) << Problems(*dump);
    EXPECT_EQ(dump->streams().size(), written.streams.size());
}

struct ListCount {
    const char* name;
    uint32_t stream;
    size_t countOffset;
    bool wide;
    size_t entries;  // as written
};

class AbsurdCounts : public DamagedDumpTest, public ::testing::WithParamInterface<ListCount> {};

TEST_P(AbsurdCounts, AreCutToWhatTheStreamHolds) {
    const ListCount& list = GetParam();
    if (list.stream == kMemory64ListStream) {
        DumpPlan plan = SmallX64Dump();
        plan.memory64 = true;
        written = WriteDump(plan);
        bytes = written.bytes;
    }
    const uint64_t at = Stream(list.stream).rva + list.countOffset;
    if (list.wide)
        Patch64(at, UINT64_MAX);
    else
        Patch32(at, 0xFFFFFFFF);
    const std::string claim = list.wide ? "18446744073709551615" : "4294967295";
    Minidump dump = ReadWithProblem(std::string(list.name) + " claims " + claim +
                                    " entries; its stream holds " + std::to_string(list.entries));
    const size_t kept = list.stream == kModuleListStream           ? dump.modules().size()
                        : list.stream == kThreadListStream         ? dump.threads().size()
                        : list.stream == kUnloadedModuleListStream ? dump.unloadedModules().size()
                                                                   : dump.memory().size();
    EXPECT_EQ(kept, list.entries);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, AbsurdCounts,
    ::testing::Values(ListCount{"module list", kModuleListStream, 0, false, 3},
                      ListCount{"thread list", kThreadListStream, 0, false, 2},
                      ListCount{"unloaded module list", kUnloadedModuleListStream, 8, false, 1},
                      ListCount{"memory list", kMemoryListStream, 0, false, 3},
                      ListCount{"memory64 list", kMemory64ListStream, 0, true, 3}),
    [](const ::testing::TestParamInfo<ListCount>& info) {
        std::string name = info.param.name;
        std::erase(name, ' ');
        return name;
    });

TEST_F(DamagedDumpTest, DamagedNamesAreLeftEmpty) {
    const uint32_t name = written.moduleNameRvas[0];
    Patch32(name, 7);
    Minidump dump = ReadWithProblem("the name of a module has an odd byte count");
    ASSERT_EQ(dump.modules().size(), 3u);
    EXPECT_EQ(dump.modules()[0].name, u"");
    EXPECT_EQ(dump.modules()[0].codeView.pdbName, u"D:\\build\\Träger\\app.pdb");
    EXPECT_EQ(dump.modules()[1].name, u"C:\\Windows\\System32\\legacy.dll");

    Patch32(name, static_cast<uint32_t>((bytes.size() - name + 1) & ~size_t{1}));
    dump = ReadWithProblem("the name of a module runs past the end of the file");
    EXPECT_EQ(dump.modules()[0].name, u"");
    Patch32(name, 0xFFFFFFF0);
    dump = ReadWithProblem("the name of a module is longer than any name");
    EXPECT_EQ(dump.modules()[0].name, u"");

    bytes = written.bytes;
    Patch32(Stream(kModuleListStream).rva + 4 + kModuleNameRva, 0xFFFFFFFE);
    dump = ReadWithProblem("the name of a module lies past the end of the file");
    EXPECT_EQ(dump.modules()[0].name, u"");
    EXPECT_EQ(dump.modules()[2].name, u"C:\\Temp\\plugin.dll");
}

TEST_F(DamagedDumpTest, ThousandsOfDamagedNamesAreOneProblem) {
    DumpPlan plan = SmallX64Dump();
    plan.modules.resize(2000, plan.modules[2]);
    written = WriteDump(plan);
    bytes = written.bytes;
    for (const uint32_t name : written.moduleNameRvas)
        Patch32(name, 3);
    Minidump dump = ReadWithProblem("the name of a module has an odd byte count");
    EXPECT_EQ(dump.modules().size(), 2000u);
    EXPECT_EQ(dump.problems().size(), 1u) << Problems(dump);
}

TEST_F(DamagedDumpTest, DamagedCodeViewRecordsAndContextsAreLeftOut) {
    const uint64_t firstModule = Stream(kModuleListStream).rva + 4;
    Patch32(firstModule + kModuleCvRecord, 0x10000);
    Minidump dump = ReadWithProblem("a module's CodeView record is too large");
    EXPECT_EQ(dump.modules()[0].codeView.kind, DumpCodeView::Kind::None);
    Patch32(firstModule + kModuleCvRecord, 20);  // an RSDS record without its age and name
    auto shortRecord = files.Read(bytes);
    ASSERT_TRUE(shortRecord);
    EXPECT_EQ(shortRecord->modules()[0].codeView.kind, DumpCodeView::Kind::None);
    Patch32(firstModule + kModuleCvRecord, 30);
    Patch32(firstModule + kModuleCvRecord + 4, static_cast<uint32_t>(bytes.size() - 29));
    dump = ReadWithProblem("a module's CodeView record runs past the end of the file");
    EXPECT_EQ(dump.modules()[0].codeView.kind, DumpCodeView::Kind::None);

    bytes = written.bytes;
    const uint64_t firstThread = Stream(kThreadListStream).rva + 4;
    Patch32(firstThread + kThreadContext, 0xF8);  // ends before Rip
    dump = ReadWithProblem("a thread context is too short for its registers");
    EXPECT_FALSE(dump.threads()[0].context);
    EXPECT_TRUE(dump.threads()[1].context);
    Patch32(firstThread + kThreadContext, 0x4D0);
    Patch32(firstThread + kThreadContext + 4, static_cast<uint32_t>(bytes.size() - 0x80));
    dump = ReadWithProblem("a thread context lies past the end of the file");
    EXPECT_FALSE(dump.threads()[0].context);
}

TEST_F(DamagedDumpTest, WithoutSystemInfoContextsAreNotGuessed) {
    Patch32(DirectoryEntry(kSystemInfoStream), 0);
    Minidump dump = ReadWithProblem("no system info: the thread contexts' layout is unknown");
    EXPECT_FALSE(dump.systemInfo());
    EXPECT_EQ(dump.threads().size(), 2u);
    EXPECT_FALSE(dump.threads()[0].context);
    EXPECT_FALSE(dump.exception()->context);
    EXPECT_EQ(dump.modules().size(), 3u);
}

TEST_F(DamagedDumpTest, ExceptionParametersStopAtFifteen) {
    Patch32(Stream(kExceptionStream).rva + kExceptionParameterCount, 0xFFFFFFFF);
    auto dump = files.Read(bytes);
    ASSERT_TRUE(dump);
    EXPECT_EQ(dump->exception()->parameters.size(), 15u);
    EXPECT_EQ(dump->exception()->parameters[1], 0xDEADu);
    bytes = written.bytes;
    Patch32(DirectoryEntry(kExceptionStream) + 4, kExceptionStreamSize - 1);
    Minidump cut = ReadWithProblem("the exception stream is too short");
    EXPECT_FALSE(cut.exception());
}

TEST_F(DamagedDumpTest, OverlappingMemoryRangesKeepTheLower) {
    // The third range (the memory after the first stack) made to start inside the first stack.
    const uint64_t third = Stream(kMemoryListStream).rva + 4 + 2 * kMemoryDescriptorSize;
    const uint64_t stack = SmallX64Dump().threads[0].stackStart;
    Patch64(third, stack + 0x10);
    Minidump dump = ReadWithProblem("memory ranges overlap");
    ASSERT_EQ(dump.memory().size(), 2u);
    EXPECT_EQ(dump.ReadMemory(stack, 0x400), SmallX64Dump().threads[0].stack);
}

class DamagedMemory64Test : public DamagedDumpTest {
  protected:
    DamagedMemory64Test() {
        DumpPlan plan = SmallX64Dump();
        plan.memory64 = true;
        written = WriteDump(plan);
        bytes = written.bytes;
        list = Stream(kMemory64ListStream).rva;
    }
    uint64_t Descriptor(size_t i) const { return list + kMemory64ListHeaderSize + 16 * i; }
    uint64_t list = 0;
};

TEST_F(DamagedMemory64Test, ABaseRvaPastTheEndHoldsNothing) {
    Patch64(list + 8, 0xFFFFFFFFFFFFFF00);
    Minidump dump = ReadWithProblem("a memory range's bytes run past the end of the file");
    EXPECT_TRUE(dump.memory().empty());
    EXPECT_FALSE(dump.ReadMemory(dump.threads()[0].stackStart, 1));
}

TEST_F(DamagedMemory64Test, SizesThatOverflowKeepWhatTheFileHolds) {
    auto whole = files.Read(written.bytes);
    ASSERT_TRUE(whole);
    const DumpMemoryRange first = whole->memory()[0];
    // Base RVA + the sizes wraps 64 bits at the second range.
    Patch64(Descriptor(0) + 8, uint64_t{1} << 63);
    Patch64(Descriptor(1) + 8, uint64_t{1} << 63);
    Minidump dump = ReadWithProblem("a memory range's bytes run past the end of the file");
    ASSERT_EQ(dump.memory().size(), 1u);
    EXPECT_EQ(dump.memory()[0].start, first.start);
    EXPECT_EQ(dump.memory()[0].size, bytes.size() - first.rva) << "cut at the end of the file";
    EXPECT_EQ(dump.ReadMemory(first.start, first.size), whole->ReadMemory(first.start, first.size));
    EXPECT_FALSE(dump.ReadMemory(first.start, bytes.size()));
    EXPECT_FALSE(dump.ReadMemory(whole->memory()[2].start, 1));
}

TEST_F(DamagedMemory64Test, ARangePastTheTopOfTheAddressSpaceEndsTheList) {
    Patch64(Descriptor(0), UINT64_MAX - 0x10);
    Minidump dump = ReadWithProblem("a memory range runs past the top of the address space");
    EXPECT_TRUE(dump.memory().empty());
}

// A dump cut short anywhere after its directory still reads; everything read from it is what
// the whole dump has, and the memory it keeps reads as the whole dump's.
void ExpectCutsRead(const std::vector<uint8_t>& whole) {
    DumpFiles files;
    auto full = files.Read(whole);
    ASSERT_TRUE(full);
    const uint64_t directoryEnd =
        full->header().directoryRva + uint64_t{full->header().streamCount} * kDirectoryEntrySize;
    std::vector<uint64_t> cuts{0, 1, kHeaderSize - 1, kHeaderSize, directoryEnd - 1};
    for (const DumpStream& s : full->streams()) {
        for (const uint64_t at : {uint64_t{s.location.rva}, uint64_t{s.location.rva} + 1,
                                  s.location.rva + uint64_t{s.location.size} / 2,
                                  s.location.rva + uint64_t{s.location.size} - 1,
                                  s.location.rva + uint64_t{s.location.size}})
            cuts.push_back(at);
    }
    for (const uint64_t cut : cuts) {
        if (cut > whole.size())
            continue;
        SCOPED_TRACE("cut at " + std::to_string(cut));
        std::string problem;
        auto dump =
            files.Read({whole.begin(), whole.begin() + static_cast<ptrdiff_t>(cut)}, &problem);
        if (cut < directoryEnd) {
            EXPECT_FALSE(dump);
            EXPECT_FALSE(problem.empty());
            continue;
        }
        ASSERT_TRUE(dump) << problem;
        if (dump->problems().empty()) {
            // Only bytes the reader does not read were cut (a stream of an unknown type).
            EXPECT_EQ(dump->modules().size(), full->modules().size());
            EXPECT_EQ(dump->threads().size(), full->threads().size());
            EXPECT_EQ(dump->memory().size(), full->memory().size());
            EXPECT_EQ(dump->exception().has_value(), full->exception().has_value());
        }
        ASSERT_LE(dump->modules().size(), full->modules().size());
        for (size_t i = 0; i < dump->modules().size(); ++i) {
            const DumpModule& m = dump->modules()[i];
            EXPECT_EQ(m.base, full->modules()[i].base);
            EXPECT_TRUE(m.name.empty() || m.name == full->modules()[i].name);
        }
        ASSERT_LE(dump->threads().size(), full->threads().size());
        for (size_t i = 0; i < dump->threads().size(); ++i) {
            if (dump->threads()[i].context) {
                EXPECT_EQ(dump->threads()[i].context->ip, full->threads()[i].context->ip);
            }
        }
        for (const DumpMemoryRange& r : dump->memory())
            EXPECT_EQ(dump->ReadMemory(r.start, r.size), full->ReadMemory(r.start, r.size));
    }
}

TEST(CutDumps, OursReadAtEveryStreamBoundary) {
    ExpectCutsRead(WriteDump(SmallX64Dump()).bytes);
    DumpPlan plan = SmallX86Dump();
    plan.memory64 = true;
    ExpectCutsRead(WriteDump(plan).bytes);
}

TEST(CutDumps, TheSampleReadsAtEveryStreamBoundary) {
    const auto path = SamplesDir() / "dumps" / "crashtest_invalid_parameter_x64.dmp";
    if (!std::filesystem::exists(path))
        GTEST_SKIP() << "no shared samples at " << SamplesDir();
    std::ifstream in(path, std::ios::binary);
    ExpectCutsRead(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}));
}

}  // namespace
}  // namespace veltrano::testing
