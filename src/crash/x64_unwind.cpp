// UNWIND_INFO as the x64 exception-handling documentation lays it out: a byte of version (low
// three bits) and flags, the prolog's size, the count of 16-bit code slots, the frame register
// (low four bits) and its scaled offset, then the codes, each an offset in the prolog, an
// operation (low four bits) and its info; a chained RUNTIME_FUNCTION follows the codes (padded
// to an even count) when the chain flag is set.
#include "crash/x64_unwind.h"

#include <vector>

#include "base/byte_view.h"

namespace veltrano::crash {
namespace {

enum UnwindOp : uint8_t {
    kPushNonvol = 0,
    kAllocLarge = 1,
    kAllocSmall = 2,
    kSetFpreg = 3,
    kSaveNonvol = 4,
    kSaveNonvolFar = 5,
    kEpilogOrSaveXmm = 6,  // version 2: an epilog's description; version 1: an old XMM save
    kSpareOrSaveXmmFar = 7,
    kSaveXmm128 = 8,
    kSaveXmm128Far = 9,
    kPushMachframe = 10,
};

constexpr uint8_t kChainInfo = 0x4;
constexpr int kMaxChain = 32;  // the depth the system's unwinder allows for a chain

// How many 16-bit slots a code takes, itself included.
unsigned SlotsOf(uint8_t op, uint8_t info) {
    switch (op) {
        case kAllocLarge:
            return info == 0 ? 2 : 3;
        case kSaveNonvol:
        case kEpilogOrSaveXmm:
        case kSaveXmm128:
            return 2;
        case kSaveNonvolFar:
        case kSpareOrSaveXmmFar:
        case kSaveXmm128Far:
            return 3;
        default:
            return 1;
    }
}

}  // namespace

bool UnwindX64(ModuleImage& image, uint64_t base, X64Registers& regs, const ReadQword& read,
               bool returned) {
    if (regs.rip < base || regs.rip - base > UINT32_MAX || (returned && regs.rip == base))
        return false;
    const auto rva = static_cast<uint32_t>(regs.rip - base);
    auto function = image.FunctionAt(returned ? rva - 1 : rva);
    bool machineFrame = false;
    // Inside the first function the prolog may have run only in part; a chained function's
    // prolog ran whole.
    uint64_t prologOffset = function ? rva - function->begin : 0;
    for (int depth = 0; function; ++depth) {
        if (depth == kMaxChain)
            return false;
        const auto head = image.Read(function->unwindInfo, 4);
        if (!head)
            return false;
        const uint8_t version = (*head)[0] & 7;
        const uint8_t flags = (*head)[0] >> 3;
        const uint8_t prologSize = (*head)[1];
        const uint8_t count = (*head)[2];
        const uint8_t frameReg = (*head)[3] & 15;
        const uint8_t frameOffset = (*head)[3] >> 4;
        if (version != 1 && version != 2)
            return false;
        const uint32_t slots = (count + 1u) & ~1u;
        const auto codeBytes = image.Read(function->unwindInfo + 4, slots * 2);
        if (!codeBytes)
            return false;
        const ByteView codes(codeBytes->data(), codeBytes->size());
        const bool prologDone = depth > 0 || prologOffset >= prologSize;
        const auto ran = [&](unsigned i) { return prologDone || codes.U8(i * 2) <= prologOffset; };
        // Saves are addressed from the frame register's base once the prolog has set it.
        uint64_t frame = regs.rsp();
        for (unsigned i = 0; i < count;
             i += SlotsOf(codes.U8(i * 2 + 1) & 15, codes.U8(i * 2 + 1) >> 4)) {
            if ((codes.U8(i * 2 + 1) & 15) == kSetFpreg && frameReg != 0 && ran(i))
                frame = regs.gpr[frameReg] - uint64_t{frameOffset} * 16;
        }
        for (unsigned i = 0; i < count;) {
            const uint8_t op = codes.U8(i * 2 + 1) & 15;
            const uint8_t info = codes.U8(i * 2 + 1) >> 4;
            const unsigned size = SlotsOf(op, info);
            if (i + size > count)
                return false;
            if (ran(i)) {
                const uint64_t next16 = codes.U16((i + 1) * 2);
                const uint64_t next32 = codes.U32((i + 1) * 2);
                std::optional<uint64_t> value;
                switch (op) {
                    case kPushNonvol:
                        if (!(value = read(regs.rsp())))
                            return false;
                        regs.gpr[info] = *value;
                        regs.rsp() += 8;
                        break;
                    case kAllocLarge:
                        regs.rsp() += info == 0 ? next16 * 8 : next32;
                        break;
                    case kAllocSmall:
                        regs.rsp() += uint64_t{info} * 8 + 8;
                        break;
                    case kSetFpreg:
                        regs.rsp() = frame;
                        break;
                    case kSaveNonvol:
                    case kSaveNonvolFar:
                        if (!(value = read(frame + (op == kSaveNonvol ? next16 * 8 : next32))))
                            return false;
                        regs.gpr[info] = *value;
                        break;
                    case kPushMachframe: {
                        const uint64_t at = regs.rsp() + (info ? 8 : 0);
                        const auto rip = read(at);
                        const auto rsp = read(at + 24);
                        if (!rip || !rsp)
                            return false;
                        regs.rip = *rip;
                        regs.rsp() = *rsp;
                        machineFrame = true;
                        break;
                    }
                    default:  // XMM saves and epilog descriptions change no integer register
                        break;
                }
            }
            i += size;
        }
        if (!(flags & kChainInfo))
            break;
        const auto next = image.Read(function->unwindInfo + 4 + slots * 2, 12);
        if (!next)
            return false;
        const ByteView chained(next->data(), next->size());
        function = RuntimeFunction{chained.U32(0), chained.U32(4), chained.U32(8)};
    }
    if (!machineFrame) {
        const auto rip = read(regs.rsp());
        if (!rip)
            return false;
        regs.rip = *rip;
        regs.rsp() += 8;
    }
    return true;
}

}  // namespace veltrano::crash
