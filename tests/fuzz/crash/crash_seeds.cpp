// Writes seeds for crash_fuzzer's corpus: the stack walk tests' dump with app.exe's image (the
// unwind path), the same with no image (the scan), and the dump writer's usual x64 and x86 dumps.
#include <cstdio>

#include "../seed_file.h"
#include "crash_input.h"
#include "dump_writer.h"
#include "walk_fixture.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: crash_seeds <folder>\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    using namespace veltrano;
    using namespace veltrano::testing;
    const auto walk = WriteDump(WalkPlan()).bytes;
    fuzz::SaveSeed(folder / "unwind", fuzz::CrashInput(walk, WritePeImage(WalkAppImage())));
    fuzz::SaveSeed(folder / "scan", fuzz::CrashInput(walk, {}));
    fuzz::SaveSeed(folder / "x64", fuzz::CrashInput(WriteDump(SmallX64Dump()).bytes, {}));
    fuzz::SaveSeed(folder / "x86", fuzz::CrashInput(WriteDump(SmallX86Dump()).bytes, {}));
    return 0;
}
