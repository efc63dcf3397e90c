// AnalyseDump over dumps of our writer on a test drive: the exception and its module, the
// modules as a caller gets them, the signature past the dispatch modules, the module files used
// only when they are the dumped build, and answers for what is no dump or has no exception.
#include <gtest/gtest.h>

#include "crash/crash_analysis.h"
#include "dump_writer.h"
#include "pe_image_writer.h"
#include "support/engine_fakes.h"
#include "support/test_drive.h"

namespace veltrano::crash {
namespace {
using namespace testing;
using dump::DumpArchitecture;

constexpr uint64_t kApp = 0x1'4000'0000;
constexpr uint64_t kNtdll = 0x7FF8'0000'0000;
constexpr uint64_t kKernelBase = 0x7FF7'0000'0000;
constexpr uint64_t kStack = 0x00C0'0000'0000;
constexpr uint32_t kStamp = 0x5F000000;

void Put64(std::vector<uint8_t>& stack, uint64_t at, uint64_t value) {
    for (int i = 0; i < 8; ++i)
        stack[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

dump::DumpModule Module(uint64_t base, uint32_t size, TextView path, uint32_t stamp,
                        uint64_t version) {
    dump::DumpModule m;
    m.base = base;
    m.size = size;
    m.timeStamp = stamp;
    m.name = Text(path);
    m.version = dump::DumpFileVersion{version, version, 0, 0x40004, 1};
    return m;
}

// A fault in ntdll, called from kernelbase, called from app.exe at 0x1050 and 0x2345 (a caller
// further up); the stack holds the return addresses only.
DumpPlan FaultInNtdll() {
    DumpPlan plan;
    plan.modules = {
        Module(kApp, 0x10000, u"C:\\Program Files\\App\\App.EXE", kStamp, 0x0001'0002'0003'0004),
        Module(kNtdll, 0x100000, u"C:\\Windows\\System32\\ntdll.dll", 7, 0x000A'0000'42EE'00FE),
        Module(kKernelBase, 0x100000, u"C:\\Windows\\System32\\KERNELBASE.dll", 8,
               0x000A'0000'42EE'0001)};
    auto& cv = plan.modules[0].codeView;
    cv.kind = dump::DumpCodeView::Kind::Pdb70;
    cv.guid = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
               0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
    cv.age = 0x1A;
    cv.pdbName = u"D:\\build\\app.pdb";
    std::vector<uint8_t> stack(0x200, 0);
    Put64(stack, 0x08, kKernelBase + 0x1777);
    Put64(stack, 0x20, kApp + 0x1050);
    Put64(stack, 0x60, kApp + 0x2345);
    WrittenThread t;
    t.id = 0x1234;
    t.stackStart = kStack;
    t.stack = stack;
    t.context = {DumpArchitecture::X64, 0x10001F, kNtdll + 0x100, kStack, 0};
    plan.threads = {t};
    WrittenException e;
    e.threadId = t.id;
    e.code = 0xC0000374;  // heap corruption, raised inside ntdll
    e.address = kNtdll + 0x100;
    e.parameters = {kApp + 0x8000};
    e.context = t.context;
    plan.exception = e;
    plan.miscInfo = dump::DumpMiscInfo{1, 4321, std::nullopt};
    plan.timeStamp = 1700000123;
    return plan;
}

class CrashAnalysisTest : public ::testing::Test {
  protected:
    CrashAnalysis Analyse(const DumpPlan& plan) { return AnalyseBytes(WriteDump(plan).bytes); }
    CrashAnalysis AnalyseBytes(const std::vector<uint8_t>& bytes) {
        drive.tree().Write("crash.dmp", bytes);
        CrashOptions options;
        options.messages = &messages;
        return AnalyseDump(drive.files(), u"C:\\crash.dmp", options);
    }
    TestDrive drive;
    FakeMessageTables messages;
};

TEST_F(CrashAnalysisTest, ExceptionModulesAndProcess) {
    messages.nativeApi[0xC0000374] = u"A heap has been corrupted.\r\n";
    const CrashAnalysis a = Analyse(FaultInNtdll());
    ASSERT_TRUE(a.readable);
    ASSERT_TRUE(a.hasException);
    EXPECT_EQ(a.exceptionCode, 0xC0000374u);
    EXPECT_EQ(a.exceptionName, u"A heap has been corrupted.");
    EXPECT_EQ(a.exceptionAddress, kNtdll + 0x100);
    EXPECT_EQ(a.exceptionParameters, std::vector<uint64_t>{kApp + 0x8000});
    EXPECT_EQ(a.threadId, 0x1234u);
    ASSERT_TRUE(a.faultingModule);
    EXPECT_EQ(a.faultingModule->name, u"ntdll.dll");
    EXPECT_EQ(a.faultingModule->version, u"10.0.17134.254");
    EXPECT_EQ(a.faultingModule->offset, 0x100u);
    ASSERT_EQ(a.modules.size(), 3u);
    EXPECT_EQ(a.modules[0].name, u"app.exe");
    EXPECT_EQ(a.modules[0].path, u"C:\\Program Files\\App\\App.EXE");
    EXPECT_EQ(a.modules[0].version, u"1.2.3.4");
    EXPECT_EQ(a.modules[0].timeStamp, kStamp);
    EXPECT_EQ(a.modules[0].pdbName, u"D:\\build\\app.pdb");
    EXPECT_EQ(a.modules[0].pdbId, u"33221100554477668899AABBCCDDEEFF1A");
    EXPECT_EQ(a.modules[2].name, u"kernelbase.dll");
    EXPECT_EQ(a.modules[1].pdbId, u"");
    EXPECT_EQ(a.osVersion, u"10.0.19045");
    EXPECT_EQ(a.architecture, u"x64");
    EXPECT_EQ(a.processId, 4321u);
    EXPECT_EQ(a.dumpTime, 1700000123u);
}

TEST_F(CrashAnalysisTest, SignatureNamesTheFirstFrameOutsideTheDispatchModules) {
    const CrashAnalysis a = Analyse(FaultInNtdll());
    ASSERT_EQ(a.frames.size(), 4u);
    EXPECT_EQ(a.frames[1].offset, 0x1777u);  // kernelbase, a dispatch module too
    ASSERT_TRUE(a.signature);
    EXPECT_EQ(a.signature->frame, 2u);
    EXPECT_EQ(a.signature->module, u"app.exe");
    EXPECT_EQ(a.signature->version, u"1.2.3.4");
    EXPECT_EQ(a.signature->offset, 0x1050u);
    EXPECT_EQ(a.signature->input, u"app.exe|1.2.3.4|0x1050");
    EXPECT_EQ(a.signature->hash, u"7c3cf854");  // python3: FNV-1a 32 of the input's UTF-8
}

TEST_F(CrashAnalysisTest, SignatureOfACrashInsideTheSystemAloneNamesItsFirstFrame) {
    DumpPlan plan = FaultInNtdll();
    plan.threads[0].stack.assign(0x200, 0);
    const CrashAnalysis a = Analyse(plan);
    ASSERT_EQ(a.frames.size(), 1u);
    ASSERT_TRUE(a.signature);
    EXPECT_EQ(a.signature->module, u"ntdll.dll");
    EXPECT_EQ(a.signature->offset, 0x100u);
    EXPECT_FALSE(a.problems.empty());
}

TEST_F(CrashAnalysisTest, ModuleFilesAreUsedOnlyWhenTheyAreTheDumpedBuild) {
    // app.exe's file says every function at 0x1000..0x3000 is a leaf-less frame of 0x18 bytes:
    // unwinding from 0x1050 takes the return address at rsp + 0x18, not where the scan goes on.
    DumpPlan plan = FaultInNtdll();
    plan.threads[0].context.ip = kApp + 0x1050;
    plan.exception->context.ip = kApp + 0x1050;
    plan.exception->address = kApp + 0x1050;
    std::vector<uint8_t> stack(0x200, 0);
    Put64(stack, 0x00, kApp + 0x2345);  // a stale return the unwind steps over
    Put64(stack, 0x18, kApp + 0x2800);
    plan.threads[0].stack = stack;
    ImagePlan image;
    image.timeStamp = kStamp;
    image.functions = {{0x1000, 0x3000, 0, 0, 0, {UnwindCode(4, 2, 2)}}};  // sub rsp, 18h
    drive.tree().Write("Program Files/App/App.EXE", WritePeImage(image));

    CrashAnalysis a = Analyse(plan);
    ASSERT_GE(a.frames.size(), 2u);
    EXPECT_EQ(a.frames[1].source, FrameSource::Unwind);
    EXPECT_EQ(a.frames[1].offset, 0x2800u);

    image.timeStamp = kStamp + 1;  // another build of app.exe
    drive.tree().Write("Program Files/App/App.EXE", WritePeImage(image));
    a = Analyse(plan);
    ASSERT_GE(a.frames.size(), 3u);
    EXPECT_EQ(a.frames[1].source, FrameSource::Scan);
    EXPECT_EQ(a.frames[1].offset, 0x2345u);
    EXPECT_EQ(a.frames[2].offset, 0x2800u);
}

TEST_F(CrashAnalysisTest, WhatIsNoDumpOrHasNoExceptionIsSaid) {
    CrashAnalysis a = AnalyseBytes({'M', 'D', 'M', 'P'});
    EXPECT_FALSE(a.readable);
    ASSERT_FALSE(a.problems.empty());
    EXPECT_TRUE(a.frames.empty());

    a = AnalyseDump(drive.files(), u"C:\\no such.dmp");
    EXPECT_FALSE(a.readable);

    DumpPlan plan = FaultInNtdll();
    plan.exception.reset();
    a = Analyse(plan);
    EXPECT_TRUE(a.readable);
    EXPECT_FALSE(a.hasException);
    EXPECT_FALSE(a.signature);
    EXPECT_EQ(a.modules.size(), 3u);
    EXPECT_EQ(a.problems, std::vector<std::string>{"the dump has no exception stream"});
}

}  // namespace
}  // namespace veltrano::crash
