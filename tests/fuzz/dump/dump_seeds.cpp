// Writes seed dumps for dump_fuzzer's corpus with the reader tests' writer: x64 and x86, each with
// the memory list of a minidump and with the 64-bit one of a full dump.
#include <cstdio>
#include <string>

#include "../seed_file.h"
#include "platform/offline/dump/dump_writer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dump_seeds <folder>\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    using namespace veltrano::testing;
    for (const bool x64 : {true, false}) {
        for (const bool memory64 : {false, true}) {
            DumpPlan plan = x64 ? SmallX64Dump() : SmallX86Dump();
            plan.memory64 = memory64;
            const std::string name =
                std::string(x64 ? "x64" : "x86") + (memory64 ? "-full" : "") + ".dmp";
            veltrano::fuzz::SaveSeed(folder / name, WriteDump(plan).bytes);
        }
    }
    return 0;
}
