// The walk: registers first, then the trusted way for the architecture while it leads on, then
// the scan from where it stopped. Every step must move up the stack, and the frame count and the
// bytes scanned are bounded, so a damaged or hostile dump ends the walk rather than looping.
#include "crash/stack_walk.h"

#include <algorithm>

#include "base/byte_view.h"
#include "crash/x64_unwind.h"

namespace veltrano::crash {
namespace {

constexpr size_t kX64Registers = 0x78;  // Rax in the x64 CONTEXT, the integer registers after it
constexpr size_t kIndirectCallOpcode = 0xFF;
constexpr size_t kDirectCallOpcode = 0xE8;
constexpr size_t kDirectCallLength = 5;
constexpr size_t kLongestCall = 7;  // FF /2 with a SIB byte and a 32-bit displacement
// An image's first page holds its headers, never code: a value there is the module's handle or a
// pointer to its headers, not a return address.
constexpr uint64_t kHeaderPage = 0x1000;

class Walker {
  public:
    Walker(dump::Minidump& dump, const ImageSource& images, const WalkLimits& limits, bool x64)
        : dump_(dump), images_(images), limits_(limits), x64_(x64) {}

    std::vector<Frame> frames;

    bool Full() const { return frames.size() >= limits_.maxFrames; }

    void Add(uint64_t address, FrameSource source) {
        Frame f;
        f.address = address;
        f.source = source;
        f.offset = address;
        if (const dump::DumpModule* m = dump_.ModuleAt(address)) {
            f.moduleIndex = static_cast<size_t>(m - dump_.modules().data());
            f.offset = address - m->base;
        }
        frames.push_back(f);
    }

    std::optional<uint64_t> ReadPointer(uint64_t address) {
        const auto bytes = dump_.ReadMemory(address, x64_ ? 8 : 4);
        if (!bytes)
            return std::nullopt;
        const ByteView b(bytes->data(), bytes->size());
        return x64_ ? b.U64(0) : b.U32(0);
    }

    ModuleImage* Image(uint64_t address) {
        const dump::DumpModule* m = dump_.ModuleAt(address);
        return m ? images_(static_cast<size_t>(m - dump_.modules().data())) : nullptr;
    }

    // x64: caller after caller by the unwind data; the stack pointer where it stopped.
    uint64_t Unwind(X64Registers regs) {
        const ReadQword read = [this](uint64_t at) -> std::optional<uint64_t> {
            return ReadPointer(at);
        };
        while (!Full()) {
            const dump::DumpModule* m = dump_.ModuleAt(regs.rip);
            auto* image = Image(regs.rip);
            if (!m || !image)
                break;
            X64Registers caller = regs;
            const bool returned = frames.size() > 1;
            if (!UnwindX64(*image, m->base, caller, read, returned) || caller.rsp() <= regs.rsp() ||
                !dump_.ModuleAt(caller.rip))
                break;
            regs = caller;
            Add(regs.rip, FrameSource::Unwind);
        }
        return regs.rsp();
    }

    // x86: the chain of saved frame pointers, each frame's return address above its saved ebp;
    // the stack pointer where it stopped.
    uint64_t FollowFramePointers(uint64_t sp, uint64_t fp) {
        while (!Full() && fp >= sp && fp - sp < limits_.maxScanBytes) {
            const auto saved = ReadPointer(fp);
            const auto ret = ReadPointer(fp + 4);
            if (!saved || !ret || !dump_.ModuleAt(*ret))
                break;
            Add(*ret, FrameSource::FramePointer);
            sp = fp + 8;
            if (*saved <= fp)
                break;
            fp = *saved;
        }
        return sp;
    }

    // How many bytes from address the dump holds without a gap (ranges that meet continue
    // each other), up to limit.
    uint64_t HeldFrom(uint64_t address, uint64_t limit) const {
        uint64_t held = 0;
        for (const dump::DumpMemoryRange& r : dump_.memory()) {
            const uint64_t at = address + held;
            if (held >= limit || r.start > at)
                break;
            if (at - r.start < r.size)
                held += r.size - (at - r.start);
        }
        return std::min(held, limit);
    }

    // The stack the dump holds above sp, read at once (one file read, not one per pointer).
    void Scan(uint64_t sp) {
        const uint64_t step = x64_ ? 8 : 4;
        const uint64_t held = HeldFrom(sp, limits_.maxScanBytes);
        const auto bytes =
            held >= step ? dump_.ReadMemory(sp, static_cast<size_t>(held)) : std::nullopt;
        if (!bytes)
            return;
        const ByteView b(bytes->data(), bytes->size());
        for (uint64_t at = 0; at + step <= held && !Full(); at += step) {
            const uint64_t value = x64_ ? b.U64(at) : b.U32(at);
            const dump::DumpModule* m = dump_.ModuleAt(value);
            if (m && value - m->base >= kHeaderPage && LooksLikeReturnAddress(value))
                Add(value, FrameSource::Scan);
        }
    }

  private:
    // The bytes before a return address end with a call: E8 rel32, or FF /2 with its ModRM's
    // addressing (register, memory, SIB, displacements). Code the dump does not hold is read from
    // the module's file; where neither has it, an address inside an image is taken as it is.
    bool LooksLikeReturnAddress(uint64_t address) {
        std::optional<std::vector<uint8_t>> code =
            dump_.ReadMemory(address - kLongestCall, kLongestCall);
        if (!code) {
            const dump::DumpModule* m = dump_.ModuleAt(address);
            ModuleImage* image = Image(address);
            if (!image)
                return true;
            const uint64_t rva = address - m->base;
            if (rva < kLongestCall)
                return false;
            code = image->Read(static_cast<uint32_t>(rva - kLongestCall), kLongestCall);
            if (!code)
                return false;
        }
        const auto at = [&](size_t back) { return (*code)[kLongestCall - back]; };
        if (at(kDirectCallLength) == kDirectCallOpcode)
            return true;
        for (size_t length = 2; length <= kLongestCall; ++length) {
            if (at(length) != kIndirectCallOpcode)
                continue;
            const uint8_t modrm = at(length - 1);
            if (((modrm >> 3) & 7) != 2)
                continue;
            const uint8_t mod = modrm >> 6;
            const uint8_t rm = modrm & 7;
            size_t expected = 2;
            if (mod != 3 && rm == 4) {
                ++expected;  // SIB
                if (mod == 0 && (at(length - 2) & 7) == 5)
                    expected += 4;
            }
            if (mod == 0 && rm == 5)
                expected += 4;
            else if (mod == 1)
                expected += 1;
            else if (mod == 2)
                expected += 4;
            if (expected == length)
                return true;
        }
        return false;
    }

    dump::Minidump& dump_;
    const ImageSource& images_;
    const WalkLimits& limits_;
    bool x64_;
};

}  // namespace

const char* FrameSourceName(FrameSource source) {
    switch (source) {
        case FrameSource::Context:
            return "context";
        case FrameSource::FramePointer:
            return "frame pointer";
        case FrameSource::Unwind:
            return "unwind";
        case FrameSource::Scan:
            return "scan";
    }
    return "scan";
}

std::vector<Frame> WalkStack(dump::Minidump& dump, const dump::DumpContext& context,
                             const std::vector<uint8_t>& fullContext, const ImageSource& images,
                             const WalkLimits& limits) {
    const bool x64 = context.architecture == dump::DumpArchitecture::X64;
    if (context.architecture == dump::DumpArchitecture::Other || limits.maxFrames == 0)
        return {};
    Walker walker(dump, images, limits, x64);
    walker.Add(context.ip, FrameSource::Context);
    uint64_t sp = context.sp;
    if (x64) {
        X64Registers regs;
        const ByteView c(fullContext.data(), fullContext.size());
        if (c.Has(kX64Registers, 16 * 8)) {
            for (size_t i = 0; i < 16; ++i)
                regs.gpr[i] = c.U64(kX64Registers + i * 8);
        }
        regs.rsp() = context.sp;
        regs.gpr[5] = context.fp;
        regs.rip = context.ip;
        sp = walker.Unwind(regs);
    } else {
        sp = walker.FollowFramePointers(context.sp, context.fp);
    }
    walker.Scan(sp);
    return std::move(walker.frames);
}

}  // namespace veltrano::crash
