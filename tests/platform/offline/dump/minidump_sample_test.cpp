// The shared sample dump, written by a crash reporter on Windows 10 for a process that called
// the C runtime's invalid-parameter handler. The figures below were read from the file by
// minidump_peer.py (our independent reading, from the published layout) before they were
// written here; minidump_interop_test.cpp compares every figure with the peer on each run.
// Skips when the samples are missing.
#include <gtest/gtest.h>

#include <filesystem>

#include "dump_test_files.h"
#include "platform/offline/dump/minidump.h"
#include "support/samples.h"

namespace veltrano::testing {
namespace {
using namespace dump;

std::filesystem::path SamplePath() {
    return SamplesDir() / "dumps" / "crashtest_invalid_parameter_x64.dmp";
}

class SampleDumpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(SamplePath()))
            GTEST_SKIP() << "no shared samples at " << SamplesDir();
        std::string problem;
        dump = ReadMinidump(*host, Text(SamplePath().u16string()), &problem);
        ASSERT_TRUE(dump) << problem;
    }

    std::unique_ptr<FileSystem> host = MakeHostFileSystem();
    std::optional<Minidump> dump;
};

TEST_F(SampleDumpTest, HeaderAndDirectory) {
    EXPECT_EQ(dump->header().version, 0xA0EEA793u);
    EXPECT_EQ(dump->header().streamCount, 14u);
    EXPECT_EQ(dump->header().directoryRva, 32u);
    EXPECT_EQ(dump->header().timeStamp, 1537549246u);  // 2018-09-21 17:00:46 UTC
    EXPECT_EQ(dump->header().flags, 0u);
    std::vector<uint32_t> types;
    for (const DumpStream& s : dump->streams())
        types.push_back(s.type);
    // Thread, module, memory, exception, system and misc info, two the reader does not know
    // (system memory info, VM counters), two of the writing client's own and four unused.
    EXPECT_EQ(types, (std::vector<uint32_t>{3, 4, 5, 6, 7, 15, 21, 22, 0x47670001, 0x47670002, 0, 0,
                                            0, 0}));
    EXPECT_EQ(dump->streams()[1].location.size, 3352u);
    EXPECT_EQ(dump->streams()[1].location.rva, 2092u);
    EXPECT_TRUE(dump->problems().empty()) << dump->problems().front();
}

TEST_F(SampleDumpTest, SystemAndProcess) {
    ASSERT_TRUE(dump->systemInfo());
    const DumpSystemInfo& s = *dump->systemInfo();
    EXPECT_EQ(s.Architecture(), DumpArchitecture::X64);
    EXPECT_EQ(s.processorLevel, 6);
    EXPECT_EQ(s.processorRevision, 0x4F01);
    EXPECT_EQ(s.processorCount, 16);
    EXPECT_EQ(s.productType, 1);
    EXPECT_EQ(s.majorVersion, 10u);
    EXPECT_EQ(s.minorVersion, 0u);
    EXPECT_EQ(s.buildNumber, 17134u);
    EXPECT_EQ(s.platformId, 2u);
    EXPECT_EQ(s.suiteMask, 0x100);
    EXPECT_EQ(s.csdVersion, u"");
    ASSERT_TRUE(dump->miscInfo());
    EXPECT_EQ(dump->miscInfo()->flags, 0x3F7u);
    EXPECT_EQ(dump->miscInfo()->processId, 6256u);
    EXPECT_EQ(dump->miscInfo()->processCreateTime, 1537549244u);
    EXPECT_TRUE(dump->unloadedModules().empty());
}

TEST_F(SampleDumpTest, ExceptionOfTheInvalidParameterHandler) {
    ASSERT_TRUE(dump->exception());
    const DumpException& e = *dump->exception();
    EXPECT_EQ(e.threadId, 5896u);
    EXPECT_EQ(e.code, 0xC000000Du);  // STATUS_INVALID_PARAMETER
    EXPECT_EQ(e.flags, 0u);
    EXPECT_EQ(e.address, 0u);
    EXPECT_EQ(e.parameters, (std::vector<uint64_t>{0xFC218FEAC0, 0xFC218FECC0, 32}));
    EXPECT_EQ(e.contextLocation.size, 1232u);
    EXPECT_EQ(e.contextLocation.rva, 8300u);
    ASSERT_TRUE(e.context);
    EXPECT_EQ(e.context->architecture, DumpArchitecture::X64);
    EXPECT_EQ(e.context->ip, 0x7FF61BCFA9A3u);
    EXPECT_EQ(e.context->sp, 0xFC218FEA60u);
    EXPECT_EQ(e.context->fp, 0xFC218FF530u);
    const DumpModule* at = dump->ModuleAt(e.context->ip);
    ASSERT_NE(at, nullptr);
    EXPECT_EQ(at->name, u"c:\\build\\CrashTest\\x64\\Debug\\CrashTest.exe");
    ASSERT_NE(dump->Thread(e.threadId), nullptr);
}

TEST_F(SampleDumpTest, Modules) {
    ASSERT_EQ(dump->modules().size(), 31u);
    const DumpModule& app = dump->modules()[0];
    EXPECT_EQ(app.base, 0x7FF61BC80000u);
    EXPECT_EQ(app.size, 0x191000u);
    EXPECT_EQ(app.checksum, 0u);
    EXPECT_EQ(app.timeStamp, 1537549231u);
    EXPECT_EQ(app.name, u"c:\\build\\CrashTest\\x64\\Debug\\CrashTest.exe");
    EXPECT_FALSE(app.version) << "the test program has no version resource";
    EXPECT_EQ(app.codeView.kind, DumpCodeView::Kind::Pdb70);
    // {368A7C3A-63A6-44D9-BF65-9B2F4799A1C2} as the record holds it.
    EXPECT_EQ(Hex(app.codeView.guid), "3a7c8a36a663d944bf659b2f4799a1c2");
    EXPECT_EQ(app.codeView.age, 3u);
    EXPECT_EQ(app.codeView.pdbName, u"C:\\build\\CrashTest\\x64\\Debug\\CrashTest.pdb");

    const DumpModule& ntdll = dump->modules()[1];
    EXPECT_EQ(ntdll.name, u"C:\\Windows\\System32\\ntdll.dll");
    EXPECT_EQ(ntdll.base, 0x7FF806AB0000u);
    ASSERT_TRUE(ntdll.version);
    EXPECT_EQ(ntdll.version->fileVersion, 0x0006'0002'42EE'00FEu);  // 6.2.17134.254
    EXPECT_EQ(ntdll.version->productVersion, 0x000A'0000'42EE'00FEu);
    EXPECT_EQ(ntdll.codeView.pdbName, u"ntdll.pdb");
    EXPECT_EQ(dump->modules()[30].name, u"C:\\Windows\\System32\\ole32.dll");
}

TEST_F(SampleDumpTest, ThreadsAndTheirStacks) {
    ASSERT_EQ(dump->threads().size(), 6u);
    const DumpThread& crashed = dump->threads()[0];
    EXPECT_EQ(crashed.id, 5896u);
    EXPECT_EQ(crashed.teb, 0xFC216FD000u);
    EXPECT_EQ(crashed.stackStart, 0xFC218FE978u);
    EXPECT_EQ(crashed.stackMemory.size, 5768u);
    ASSERT_TRUE(crashed.context);
    // When the dump was written the thread waited in ntdll for the writer.
    const DumpModule* in = dump->ModuleAt(crashed.context->ip);
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(in->name, u"C:\\Windows\\System32\\ntdll.dll");
    EXPECT_EQ(crashed.context->sp, crashed.stackStart);
    for (const DumpThread& t : dump->threads()) {
        ASSERT_TRUE(t.context) << t.id;
        EXPECT_NE(dump->ModuleAt(t.context->ip), nullptr) << t.id;
    }
}

TEST_F(SampleDumpTest, MemoryAtTheStackPointer) {
    EXPECT_EQ(dump->memory().size(), 10u);
    const uint64_t sp = dump->exception()->context->sp;
    const auto stack = dump->ReadMemory(sp, 64);
    ASSERT_TRUE(stack);
    EXPECT_EQ(Hex(*stack),
              "c0f98f21fc00000098f38f21fc000000c0ea8f21fc000000d84ddc1bf67f000070bbdc1bf67f0000"
              "ccccccccccccccccccccccccccccccccc0f98f21fc000000");
    // The fourth word is a return address into the program.
    uint64_t returnAddress = 0;
    for (int i = 7; i >= 0; --i)
        returnAddress = returnAddress << 8 | (*stack)[24 + i];
    EXPECT_NE(dump->ModuleAt(returnAddress), nullptr);

    const DumpThread& crashed = dump->threads()[0];
    const uint64_t end = crashed.stackStart + crashed.stackMemory.size;
    EXPECT_TRUE(dump->ReadMemory(end - 8, 8));
    EXPECT_FALSE(dump->ReadMemory(end - 8, 9)) << "the next range does not follow on";
    EXPECT_FALSE(dump->ReadMemory(0x1000, 1));
    EXPECT_EQ(dump->ReadMemory(sp, 0), std::vector<uint8_t>{});
}

}  // namespace
}  // namespace veltrano::testing
