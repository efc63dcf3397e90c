// The stack walk's x64 fixture, for its tests and the fuzzer's seeds: app.exe's PE image with
// unwind data for a leaf, a function with pushes and an allocation, one with a frame pointer and
// one whose unwind info is chained, and a stack laid out as those prologs leave it.
#pragma once

#include <cstdint>
#include <vector>

#include "dump_writer.h"
#include "pe_image_writer.h"

namespace veltrano::testing {

inline constexpr uint64_t kWalkApp = 0x1'4000'0000;
inline constexpr uint64_t kWalkSystem = 0x7FF8'0000'0000;
inline constexpr uint64_t kWalkStack = 0x00C0'0000'0000;
inline constexpr uint32_t kWalkStamp = 0x5F000000;

void Put64(std::vector<uint8_t>& bytes, uint64_t at, uint64_t value);
dump::DumpModule WalkModule(uint64_t base, uint32_t size, TextView path, uint32_t stamp);

// Four functions of app.exe: a leaf at 0x1400 (no entry), F1 [0x1000, 0x1100) with push rbp,
// push rbx, sub rsp 28h; F2 [0x1100, 0x1200) with push rbp, mov rbp rsp, sub rsp 40h; F3
// [0x1200, 0x1280) with sub rsp 100h, chained to F3's start [0x1280, 0x1300) with push rsi. Each
// return address follows a call.
ImagePlan WalkAppImage();

// The stack those functions leave, from the leaf's rsp (kWalkStack) up: the leaf's return into
// F1 (0x1050), F1's locals, rbx, rbp (F2's frame) and return into F2 (0x1150); F2's locals to its
// frame, the saved rbp and return into F3 (0x1220); F3's 100h bytes, rsi and the return into the
// system module (+0x4321).
std::vector<uint8_t> WalkStackBytes();

// A dump of one thread stopped in the leaf, with app.exe ("C:\app.exe") and ntdll.
DumpPlan WalkPlan();

}  // namespace veltrano::testing
