// The stack walk over dumps of our writer. x64: a PE image of our own on the test drive with
// unwind data for a leaf, a function with pushes and an allocation, one with a frame pointer and
// one whose unwind info is chained; the stack is laid out as those prologs leave it, so each
// caller is at a place the unwind data alone can find. x86: a chain of saved frame pointers.
// The scan: return addresses told from other values by the call before them.
#include <gtest/gtest.h>

#include "crash/stack_walk.h"
#include <map>

#include "dump_test_files.h"
#include "dump_writer.h"
#include "pe_image_writer.h"

namespace veltrano::crash {
namespace {
using namespace testing;
using dump::DumpArchitecture;

constexpr uint64_t kApp = 0x1'4000'0000;
constexpr uint64_t kSystem = 0x7FF8'0000'0000;
constexpr uint64_t kStack = 0x00C0'0000'0000;
constexpr uint32_t kStamp = 0x5F000000;

// Unwind operations, as the x64 documentation numbers them.
constexpr uint8_t kPushNonvol = 0, kAllocLarge = 1, kAllocSmall = 2, kSetFpreg = 3;
constexpr uint8_t kRbx = 3, kRbp = 5, kRsi = 6;

void Put64(std::vector<uint8_t>& stack, uint64_t at, uint64_t value) {
    for (int i = 0; i < 8; ++i)
        stack[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

dump::DumpModule Module(uint64_t base, uint32_t size, TextView path, uint32_t stamp) {
    dump::DumpModule m;
    m.base = base;
    m.size = size;
    m.timeStamp = stamp;
    m.name = Text(path);
    return m;
}

// Four functions of app.exe: a leaf at 0x1400 (no entry), F1 [0x1000, 0x1100) with push rbp,
// push rbx, sub rsp 28h; F2 [0x1100, 0x1200) with push rbp, mov rbp rsp, sub rsp 40h; F3
// [0x1200, 0x1280) with sub rsp 100h, chained to F3's start [0x1280, 0x1300) with push rsi. Each
// return address follows a call.
ImagePlan AppImage() {
    ImagePlan plan;
    plan.timeStamp = kStamp;
    WrittenFunction f1{0x1000, 0x1100, 6, 0, 0,
                       {UnwindCode(6, kAllocSmall, 4), UnwindCode(2, kPushNonvol, kRbx),
                        UnwindCode(1, kPushNonvol, kRbp)}};
    WrittenFunction f2{0x1100, 0x1200, 8, kRbp, 0,
                       {UnwindCode(8, kAllocSmall, 7), UnwindCode(4, kSetFpreg, 0),
                        UnwindCode(1, kPushNonvol, kRbp)}};
    WrittenFunction f3{0x1200, 0x1280, 0, 0, 0, {UnwindCode(0, kAllocLarge, 0), 0x20}, 3};
    WrittenFunction f3Start{0x1280, 0x1300, 1, 0, 0, {UnwindCode(1, kPushNonvol, kRsi)}};
    plan.functions = {f1, f2, f3, f3Start};
    // The calls the return addresses follow.
    for (const uint32_t ret : {0x1050u, 0x1150u, 0x1220u})
        plan.code.push_back({ret - 5, {0xE8, 0x10, 0x20, 0x30, 0x40}});
    return plan;
}

// The stack those functions leave, from the leaf's rsp (kStack) up: the leaf's return into F1,
// F1's locals, rbx, rbp (F2's frame) and return into F2; F2's locals to its frame, the saved
// rbp and return into F3; F3's 100h bytes, rsi and the return into the system module.
struct X64Stack {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(0x400, 0);
    uint64_t f2Frame = kStack + 8 + 0x38 + 8 + 0x40;  // where F2's rbp points
    X64Stack() {
        Put64(bytes, 0, kApp + 0x1050);            // leaf -> F1
        Put64(bytes, 8 + 0x28, 0x1111);            // rbx
        Put64(bytes, 8 + 0x30, f2Frame);           // rbp
        Put64(bytes, 8 + 0x38, kApp + 0x1150);     // F1 -> F2
        const uint64_t f2 = f2Frame - kStack;
        Put64(bytes, f2, 0);                       // F2's caller's rbp
        Put64(bytes, f2 + 8, kApp + 0x1220);       // F2 -> F3
        Put64(bytes, f2 + 16 + 0x100, 0x6666);     // rsi
        Put64(bytes, f2 + 16 + 0x108, kSystem + 0x4321);  // F3 -> the system
    }
};

DumpPlan X64Plan(const X64Stack& stack) {
    DumpPlan plan;
    plan.modules = {Module(kApp, 0x10000, u"C:\\app.exe", kStamp),
                    Module(kSystem, 0x100000, u"C:\\Windows\\System32\\ntdll.dll", 1)};
    WrittenThread t;
    t.id = 1;
    t.stackStart = kStack;
    t.stack = stack.bytes;
    t.context = {DumpArchitecture::X64, 0x10001F, kApp + 0x1400, kStack, 0x9999};
    plan.threads = {t};
    return plan;
}

class StackWalkTest : public ::testing::Test {
  protected:
    // The walk of the dump's first thread, with the modules' files from the test drive.
    std::vector<Frame> Walk(const DumpPlan& plan, bool withImages = true) {
        const std::string name = "dump" + std::to_string(written_++) + ".dmp";
        drive_.tree().Write(name, WriteDump(plan).bytes);
        std::string problem;
        dump_ = dump::ReadMinidump(drive_.files(), u"C:\\" + Utf8ToUtf16(name), &problem);
        EXPECT_TRUE(dump_) << problem;
        if (!dump_ || dump_->threads().empty() || !dump_->threads()[0].context)
            return {};
        images_.clear();
        const ImageSource source = [&](size_t index) -> ModuleImage* {
            if (!withImages)
                return nullptr;
            auto [it, added] = images_.try_emplace(index);
            if (added)
                it->second = ModuleImage::Open(drive_.files().OpenForReading(dump_->modules()[index].name));
            return it->second ? &*it->second : nullptr;
        };
        return WalkStack(*dump_, *dump_->threads()[0].context, {}, source, limits);
    }
    void PutImage(const ImagePlan& plan) { drive_.tree().Write("app.exe", WritePeImage(plan)); }

    WalkLimits limits;
    TestDrive drive_;
    int written_ = 0;
    std::optional<dump::Minidump> dump_;
    std::map<size_t, std::optional<ModuleImage>> images_;
};

struct Expected {
    uint64_t address;
    FrameSource source;
};

void ExpectFrames(const std::vector<Frame>& frames, const std::vector<Expected>& expected) {
    ASSERT_EQ(frames.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(frames[i].address, expected[i].address) << "frame " << i;
        EXPECT_EQ(frames[i].source, expected[i].source) << "frame " << i;
    }
}

TEST_F(StackWalkTest, X64UnwindDataLeadsThroughLeafPushesFramePointerAndChainedInfo) {
    PutImage(AppImage());
    const X64Stack stack;
    const auto frames = Walk(X64Plan(stack));
    ExpectFrames(frames, {{kApp + 0x1400, FrameSource::Context},
                          {kApp + 0x1050, FrameSource::Unwind},
                          {kApp + 0x1150, FrameSource::Unwind},
                          {kApp + 0x1220, FrameSource::Unwind},
                          {kSystem + 0x4321, FrameSource::Unwind}});
    ASSERT_TRUE(frames[1].moduleIndex);
    EXPECT_EQ(*frames[1].moduleIndex, 0u);
    EXPECT_EQ(frames[1].offset, 0x1050u);
    ASSERT_TRUE(frames[4].moduleIndex);
    EXPECT_EQ(*frames[4].moduleIndex, 1u);
    EXPECT_EQ(frames[4].offset, 0x4321u);
}

TEST_F(StackWalkTest, X64WithoutTheImageTheScanFindsTheReturnAddresses) {
    const X64Stack stack;
    ExpectFrames(Walk(X64Plan(stack), false), {{kApp + 0x1400, FrameSource::Context},
                                               {kApp + 0x1050, FrameSource::Scan},
                                               {kApp + 0x1150, FrameSource::Scan},
                                               {kApp + 0x1220, FrameSource::Scan},
                                               {kSystem + 0x4321, FrameSource::Scan}});
}

TEST_F(StackWalkTest, DamagedUnwindDataEndsTheUnwindAndTheScanGoesOn) {
    ImagePlan looped = AppImage();
    looped.functions[1].chained = 1;  // F2 chained to itself, for ever
    PutImage(looped);
    const X64Stack stack;
    ExpectFrames(Walk(X64Plan(stack)), {{kApp + 0x1400, FrameSource::Context},
                                        {kApp + 0x1050, FrameSource::Unwind},
                                        {kApp + 0x1150, FrameSource::Unwind},
                                        {kApp + 0x1220, FrameSource::Scan},
                                        {kSystem + 0x4321, FrameSource::Scan}});

    ImagePlan outside = AppImage();
    outside.functions[0].unwindInfoOverride = 0xFFFFFF00;
    PutImage(outside);
    ExpectFrames(Walk(X64Plan(stack)), {{kApp + 0x1400, FrameSource::Context},
                                        {kApp + 0x1050, FrameSource::Unwind},
                                        {kApp + 0x1150, FrameSource::Scan},
                                        {kApp + 0x1220, FrameSource::Scan},
                                        {kSystem + 0x4321, FrameSource::Scan}});
}

TEST_F(StackWalkTest, ScanTakesOnlyAddressesThatFollowACall) {
    // Code of app.exe the dump holds: returns after E8 rel32, FF 15 [rip+disp32], FF D0 (call
    // rax), FF 54 24 08 (call [rsp+8]); after FF 25 (a jump) and after plain bytes.
    std::vector<uint8_t> code(0x100, 0x90);
    const auto put = [&](uint32_t end, std::vector<uint8_t> call) {
        std::copy(call.begin(), call.end(), code.begin() + (end - call.size()));
    };
    put(0x10, {0xE8, 1, 2, 3, 4});
    put(0x40, {0xFF, 0x15, 1, 2, 3, 4});
    put(0x80, {0x41, 0xFF, 0xD0});
    put(0x90, {0xFF, 0x54, 0x24, 0x08});
    put(0xA0, {0xFF, 0x25, 1, 2, 3, 4});
    DumpPlan plan = X64Plan(X64Stack());
    plan.memory = {{kApp + 0x2000, code}};
    plan.threads[0].context.ip = kSystem + 0x10;  // no image: straight to the scan
    std::vector<uint8_t> words(0x40, 0);
    const uint64_t values[] = {kApp + 0x20C0, kApp + 0x2010, kApp + 0x20A0, kStack,
                               kApp + 0x2040, kApp + 0x2080, kApp + 0x2090, 0x12345678};
    for (size_t i = 0; i < std::size(values); ++i)
        Put64(words, i * 8, values[i]);
    plan.threads[0].stack = words;
    ExpectFrames(Walk(plan, false), {{kSystem + 0x10, FrameSource::Context},
                                     {kApp + 0x2010, FrameSource::Scan},
                                     {kApp + 0x2040, FrameSource::Scan},
                                     {kApp + 0x2080, FrameSource::Scan},
                                     {kApp + 0x2090, FrameSource::Scan}});
}

TEST_F(StackWalkTest, X86FollowsSavedFramePointersPastValuesTheScanWouldTake) {
    constexpr uint64_t app = 0x400000, system = 0x77000000, stack = 0x12F000;
    DumpPlan plan;
    plan.processorArchitecture = 0;
    plan.modules = {Module(app, 0x10000, u"C:\\app.exe", 1),
                    Module(system, 0x100000, u"C:\\Windows\\System32\\kernel32.dll", 2)};
    std::vector<uint8_t> bytes(0x100, 0);
    const auto put32 = [&](uint64_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[at - stack + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put32(stack + 0x10, stack + 0x40);
    put32(stack + 0x14, app + 0x1234);
    put32(stack + 0x20, app + 0x9999);  // a stale value between frames
    put32(stack + 0x40, stack + 0x80);
    put32(stack + 0x44, system + 0x555);
    WrittenThread t;
    t.id = 9;
    t.stackStart = stack;
    t.stack = bytes;
    t.context = {DumpArchitecture::X86, 0x10007, app + 0x1000, stack, stack + 0x10};
    plan.threads = {t};
    ExpectFrames(Walk(plan), {{app + 0x1000, FrameSource::Context},
                              {app + 0x1234, FrameSource::FramePointer},
                              {system + 0x555, FrameSource::FramePointer}});
}

TEST_F(StackWalkTest, LimitsBoundTheFramesAndTheBytesScanned) {
    PutImage(AppImage());
    const X64Stack stack;
    limits.maxFrames = 2;
    EXPECT_EQ(Walk(X64Plan(stack)).size(), 2u);
    limits.maxFrames = 64;
    limits.maxScanBytes = 0x40;  // the leaf's return only: F1's is 40h bytes further up
    ExpectFrames(Walk(X64Plan(stack), false), {{kApp + 0x1400, FrameSource::Context},
                                               {kApp + 0x1050, FrameSource::Scan}});
}

TEST_F(StackWalkTest, FrameSourcesHaveNames) {
    EXPECT_STREQ(FrameSourceName(FrameSource::Context), "context");
    EXPECT_STREQ(FrameSourceName(FrameSource::FramePointer), "frame pointer");
    EXPECT_STREQ(FrameSourceName(FrameSource::Unwind), "unwind");
    EXPECT_STREQ(FrameSourceName(FrameSource::Scan), "scan");
}

}  // namespace
}  // namespace veltrano::crash
