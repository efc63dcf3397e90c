// Writes seed kernel dumps for kernel_dump_fuzzer's corpus with the reader tests' writer: full
// and small (with a driver list) dumps, 64-bit and 32-bit.
#include <cstdio>

#include "../seed_file.h"
#include "kernel_dump_writer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kernel_dump_seeds <folder>\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    using namespace veltrano::testing;
    for (const bool x64 : {true, false}) {
        KernelDumpPlan plan;
        plan.x64 = x64;
        plan.bugCheckCode = 0xD1;
        const uint64_t high = x64 ? 0xFFFFF800'00000000ull : 0x80000000ull;
        plan.parameters = {0x28, 2, 0, high + 0x1234};
        plan.machineType = x64 ? 0x8664 : 0x14C;
        veltrano::fuzz::SaveSeed(folder / (std::string(x64 ? "x64" : "x86") + "-full.dmp"),
                                 WriteKernelDump(plan));
        plan.dumpType = 4;
        plan.drivers = {{u"ntoskrnl.exe", high, 0x100000}, {u"hal.dll", high + 0x100000, 0x8000}};
        veltrano::fuzz::SaveSeed(folder / (std::string(x64 ? "x64" : "x86") + "-small.dmp"),
                                 WriteKernelDump(plan));
    }
    return 0;
}
