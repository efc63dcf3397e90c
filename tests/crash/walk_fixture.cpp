#include "walk_fixture.h"

namespace veltrano::testing {
namespace {

// Unwind operations and registers, as the x64 documentation numbers them.
constexpr uint8_t kPushNonvol = 0, kAllocLarge = 1, kAllocSmall = 2, kSetFpreg = 3;
constexpr uint8_t kRbx = 3, kRbp = 5, kRsi = 6;

}  // namespace

void Put64(std::vector<uint8_t>& bytes, uint64_t at, uint64_t value) {
    for (int i = 0; i < 8; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

dump::DumpModule WalkModule(uint64_t base, uint32_t size, TextView path, uint32_t stamp) {
    dump::DumpModule m;
    m.base = base;
    m.size = size;
    m.timeStamp = stamp;
    m.name = Text(path);
    return m;
}

ImagePlan WalkAppImage() {
    ImagePlan plan;
    plan.timeStamp = kWalkStamp;
    WrittenFunction f1{0x1000,
                       0x1100,
                       6,
                       0,
                       0,
                       {UnwindCode(6, kAllocSmall, 4), UnwindCode(2, kPushNonvol, kRbx),
                        UnwindCode(1, kPushNonvol, kRbp)}};
    WrittenFunction f2{0x1100,
                       0x1200,
                       8,
                       kRbp,
                       0,
                       {UnwindCode(8, kAllocSmall, 7), UnwindCode(4, kSetFpreg, 0),
                        UnwindCode(1, kPushNonvol, kRbp)}};
    WrittenFunction f3{0x1200, 0x1280, 0, 0, 0, {UnwindCode(0, kAllocLarge, 0), 0x20}, 3};
    WrittenFunction f3Start{0x1280, 0x1300, 1, 0, 0, {UnwindCode(1, kPushNonvol, kRsi)}};
    plan.functions = {f1, f2, f3, f3Start};
    for (const uint32_t ret : {0x1050u, 0x1150u, 0x1220u})
        plan.code.push_back({ret - 5, {0xE8, 0x10, 0x20, 0x30, 0x40}});
    return plan;
}

std::vector<uint8_t> WalkStackBytes() {
    std::vector<uint8_t> bytes(0x400, 0);
    const uint64_t f2Frame = 8 + 0x38 + 8 + 0x40;  // where F2's rbp points, from the stack's start
    Put64(bytes, 0, kWalkApp + 0x1050);
    Put64(bytes, 8 + 0x28, 0x1111);
    Put64(bytes, 8 + 0x30, kWalkStack + f2Frame);
    Put64(bytes, 8 + 0x38, kWalkApp + 0x1150);
    Put64(bytes, f2Frame, 0);
    Put64(bytes, f2Frame + 8, kWalkApp + 0x1220);
    Put64(bytes, f2Frame + 16 + 0x100, 0x6666);
    Put64(bytes, f2Frame + 16 + 0x108, kWalkSystem + 0x4321);
    return bytes;
}

DumpPlan WalkPlan() {
    DumpPlan plan;
    plan.modules = {WalkModule(kWalkApp, 0x10000, u"C:\\app.exe", kWalkStamp),
                    WalkModule(kWalkSystem, 0x100000, u"C:\\Windows\\System32\\ntdll.dll", 1)};
    WrittenThread t;
    t.id = 1;
    t.stackStart = kWalkStack;
    t.stack = WalkStackBytes();
    t.context = {dump::DumpArchitecture::X64, 0x10001F, kWalkApp + 0x1400, kWalkStack, 0x9999};
    plan.threads = {t};
    WrittenException e;
    e.threadId = 1;
    e.code = 0xC0000005;
    e.address = kWalkApp + 0x1400;
    e.parameters = {0, 0};
    e.context = t.context;
    plan.exception = e;
    return plan;
}

}  // namespace veltrano::testing
