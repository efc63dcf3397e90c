// Writes seeds for crash_fuzzer's corpus: the stack walk tests' dump with app.exe's image (the
// unwind path), the same with no image (the scan), the dump writer's usual x64 and x86 dumps, and
// the dumps named after the folder (the shared sample), each without an image.
#include <cstdio>
#include <fstream>
#include <iterator>

#include "../seed_file.h"
#include "crash_input.h"
#include "dump_writer.h"
#include "walk_fixture.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: crash_seeds <folder> [dump ...]\n");
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
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        const std::vector<uint8_t> dump((std::istreambuf_iterator<char>(in)), {});
        fuzz::SaveSeed(folder / std::filesystem::path(argv[i]).filename(),
                       fuzz::CrashInput(dump, {}));
    }
    return 0;
}
