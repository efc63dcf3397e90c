// The stack walk over dumps of our writer. x64: a PE image of our own on the test drive with
// unwind data for a leaf, a function with pushes and an allocation, one with a frame pointer and
// one whose unwind info is chained (walk_fixture.h); the stack is laid out as those prologs leave
// it, so each caller is at a place the unwind data alone can find. x86: a chain of saved frame
// pointers. The scan: return addresses told from other values by the call before them.
#include <gtest/gtest.h>

#include <map>
#include "crash/stack_walk.h"

#include "dump_test_files.h"
#include "dump_writer.h"
#include "pe_image_writer.h"
#include "walk_fixture.h"

namespace veltrano::crash {
namespace {
using namespace testing;
using dump::DumpArchitecture;

constexpr uint64_t kApp = kWalkApp;
constexpr uint64_t kSystem = kWalkSystem;
constexpr uint64_t kStack = kWalkStack;

ImagePlan AppImage() {
    return WalkAppImage();
}
DumpPlan X64Plan() {
    return WalkPlan();
}
dump::DumpModule Module(uint64_t base, uint32_t size, TextView path, uint32_t stamp) {
    return WalkModule(base, size, path, stamp);
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
                it->second =
                    ModuleImage::Open(drive_.files().OpenForReading(dump_->modules()[index].name));
            return it->second ? &*it->second : nullptr;
        };
        return WalkStack(*dump_, *dump_->threads()[0].context, {}, source, limits);
    }
    // The images of the last walk are closed first: Windows keeps an open file from being
    // written.
    void PutImage(const ImagePlan& plan) {
        images_.clear();
        drive_.tree().Write("app.exe", WritePeImage(plan));
    }

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
    const auto frames = Walk(X64Plan());
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

TEST_F(StackWalkTest, X64ReturnAfterAFunctionsLastCallUnwindsByThatFunction) {
    // The leaf was called by F1's last instruction: its return address is F2's first byte, and
    // F2's unwind data (a frame pointer) would give nonsense for F1's frame.
    PutImage(AppImage());
    DumpPlan plan = X64Plan();
    Put64(plan.threads[0].stack, 0, kApp + 0x1100);
    ExpectFrames(Walk(plan), {{kApp + 0x1400, FrameSource::Context},
                              {kApp + 0x1100, FrameSource::Unwind},
                              {kApp + 0x1150, FrameSource::Unwind},
                              {kApp + 0x1220, FrameSource::Unwind},
                              {kSystem + 0x4321, FrameSource::Unwind}});
}

TEST_F(StackWalkTest, X64WithoutTheImageTheScanFindsTheReturnAddresses) {
    ExpectFrames(Walk(X64Plan(), false), {{kApp + 0x1400, FrameSource::Context},
                                          {kApp + 0x1050, FrameSource::Scan},
                                          {kApp + 0x1150, FrameSource::Scan},
                                          {kApp + 0x1220, FrameSource::Scan},
                                          {kSystem + 0x4321, FrameSource::Scan}});
}

TEST_F(StackWalkTest, DamagedUnwindDataEndsTheUnwindAndTheScanGoesOn) {
    ImagePlan looped = AppImage();
    looped.functions[1].chained = 1;  // F2 chained to itself, for ever
    PutImage(looped);
    ExpectFrames(Walk(X64Plan()), {{kApp + 0x1400, FrameSource::Context},
                                   {kApp + 0x1050, FrameSource::Unwind},
                                   {kApp + 0x1150, FrameSource::Unwind},
                                   {kApp + 0x1220, FrameSource::Scan},
                                   {kSystem + 0x4321, FrameSource::Scan}});

    ImagePlan outside = AppImage();
    outside.functions[0].unwindInfoOverride = 0xFFFFFF00;
    PutImage(outside);
    ExpectFrames(Walk(X64Plan()), {{kApp + 0x1400, FrameSource::Context},
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
    DumpPlan plan = X64Plan();
    plan.memory = {{kApp + 0x2000, code}};
    plan.threads[0].context.ip = kSystem + 0x10;  // no image: straight to the scan
    std::vector<uint8_t> words(0x50, 0);
    // And the module's handle and a pointer into its headers, which no call returns to.
    const uint64_t values[] = {kApp + 0x20C0, kApp + 0x2010, kApp + 0x20A0, kStack,
                               kApp,          kApp + 0x2040, kApp + 0x80,   kApp + 0x2080,
                               kApp + 0x2090, 0x12345678};
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
    limits.maxFrames = 2;
    EXPECT_EQ(Walk(X64Plan()).size(), 2u);
    limits.maxFrames = 64;
    limits.maxScanBytes = 0x40;  // the leaf's return only: F1's is 40h bytes further up
    ExpectFrames(Walk(X64Plan(), false),
                 {{kApp + 0x1400, FrameSource::Context}, {kApp + 0x1050, FrameSource::Scan}});
}

TEST_F(StackWalkTest, FrameSourcesHaveNames) {
    EXPECT_STREQ(FrameSourceName(FrameSource::Context), "context");
    EXPECT_STREQ(FrameSourceName(FrameSource::FramePointer), "frame pointer");
    EXPECT_STREQ(FrameSourceName(FrameSource::Unwind), "unwind");
    EXPECT_STREQ(FrameSourceName(FrameSource::Scan), "scan");
}

}  // namespace
}  // namespace veltrano::crash
