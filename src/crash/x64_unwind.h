// One step of an x64 stack unwind by the module's own unwind data: the function's
// RUNTIME_FUNCTION in .pdata, its UNWIND_INFO and unwind codes (chained infos followed), undone
// in the order they are listed to give the caller's registers, as the system's own unwinder
// does. A function without an entry is a leaf: its return address is at the stack pointer.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "crash/module_image.h"

namespace veltrano::crash {

// The integer registers in the unwind codes' numbering (rax, rcx, rdx, rbx, rsp, rbp, rsi, rdi,
// r8 ... r15) and the instruction pointer.
struct X64Registers {
    std::array<uint64_t, 16> gpr{};
    uint64_t rip = 0;
    uint64_t& rsp() { return gpr[4]; }
};

// Eight bytes of the process's memory; nullopt where the dump does not hold them.
using ReadQword = std::function<std::optional<uint64_t>(uint64_t address)>;

// Replaces regs (inside the image loaded at base) by its caller's; false when the unwind data
// is damaged or the stack it needs is not in the dump (regs are then unspecified). returned:
// regs.rip is a return address (every frame but the first), so its function is the one holding
// the byte before it: a call that ends its function returns to the next one's first byte.
bool UnwindX64(ModuleImage& image, uint64_t base, X64Registers& regs, const ReadQword& read,
               bool returned);

}  // namespace veltrano::crash
