// Kernel dump headers written from the published layout of DUMP_HEADER32 / DUMP_HEADER64 and,
// for small dumps, TRIAGE_DUMP with a driver list: every offset below is the layout's own
// number, written here apart from the reader's table of them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"

namespace veltrano::testing {

struct WrittenDriver {
    Text name;
    uint64_t base = 0;
    uint32_t size = 0;
};

struct KernelDumpPlan {
    bool x64 = true;
    uint32_t bugCheckCode = 0;
    std::array<uint64_t, 4> parameters{};
    uint64_t systemTime = 0;
    uint32_t majorVersion = 0xF;
    uint32_t buildNumber = 0;
    uint32_t machineType = 0x8664;
    uint32_t processors = 4;
    uint32_t dumpType = 1;
    std::vector<WrittenDriver> drivers;  // written for a triage dump (dumpType 4)
    uint32_t driverCountOverride = 0;    // a count other than the list's, for damage; 0: none
};

std::vector<uint8_t> WriteKernelDump(const KernelDumpPlan& plan);

}  // namespace veltrano::testing
