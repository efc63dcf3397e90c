// Analyses minidumps (exception, modules, the crashing thread's walk, the signature) and prints
// dumps per second against two peers on the same files in the same run: reading each file's
// bytes whole with a plain read (the floor: any reader reads at least what it uses) and
// minidump_peer.py (an independent reader of the same streams, one process per dump). Then a
// 1 GB dump: the shared sample with one memory range moved into a 1 GB hole at the end of the
// file (a sparse file), analysed in a child process for its time and peak memory against the
// sample itself, to show that what is read does not grow with the dump.
//   dump_bench [more.dmp ...]
#include <unistd.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "crash/crash_analysis.h"
#include "dump_writer.h"
#include "platform/host.h"

namespace {
namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;
using namespace veltrano;

constexpr uint64_t kLargeSize = uint64_t{1} << 30;
constexpr uint32_t kMemoryListStream = 5;

double Seconds(Steady::duration d) {
    return std::chrono::duration<double>(d).count();
}

void Save(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> Load(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), {});
}

// Runs of the whole set until a second has passed; dumps per second.
template <typename Each>
double Rate(const std::vector<fs::path>& set, Each each) {
    size_t done = 0;
    const auto start = Steady::now();
    do {
        for (const fs::path& p : set)
            each(p);
        done += set.size();
    } while (Seconds(Steady::now() - start) < 1.0);
    return done / Seconds(Steady::now() - start);
}

size_t PlainRead(const fs::path& p) {
    FILE* f = std::fopen(p.c_str(), "rb");
    if (!f)
        return 0;
    static std::vector<char> buffer(1 << 20);
    size_t total = 0;
    while (const size_t n = std::fread(buffer.data(), 1, buffer.size(), f))
        total += n;
    std::fclose(f);
    return total;
}

crash::CrashAnalysis Analyse(FileSystem& host, const fs::path& p) {
    return crash::AnalyseDump(host, Text(p.u16string()));
}

// The sample with its memory list's last range moved to a 1 GB hole after the file's end: a real
// dump's streams, and a memory list of a gigabyte. False when the sample has no memory list.
bool WriteLargeDump(const std::vector<uint8_t>& sample, const fs::path& to) {
    std::vector<uint8_t> bytes = sample;
    const auto u32 = [&](size_t at) {
        return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
               (uint32_t{bytes[at + 3]} << 24);
    };
    const auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    const uint32_t streams = u32(8), directory = u32(12);
    for (uint32_t i = 0; i < streams; ++i) {
        const size_t entry = directory + i * 12;
        if (u32(entry) != kMemoryListStream)
            continue;
        const uint32_t list = u32(entry + 8);
        const uint32_t count = u32(list);
        if (count == 0)
            return false;
        const size_t last = list + 4 + (count - 1) * 16;
        const uint32_t at = static_cast<uint32_t>((bytes.size() + 0xFFF) & ~size_t{0xFFF});
        for (int b = 0; b < 8; ++b)  // a start no other range is near
            bytes[last + b] = static_cast<uint8_t>(0x0000100000000000ull >> (8 * b));
        put32(last + 8, static_cast<uint32_t>(kLargeSize - at));
        put32(last + 12, at);
        Save(to, bytes);
        fs::resize_file(to, kLargeSize);
        return true;
    }
    return false;
}

struct ChildRun {
    double seconds = -1;
    long peakKiB = 0;
    size_t frames = 0;
};

// The analysis of one dump in a child process: its wall time and its peak resident memory.
ChildRun InChild(const fs::path& p) {
    ChildRun run;
    int pipes[2];
    if (pipe(pipes) != 0)
        return run;
    const auto start = Steady::now();
    const pid_t child = fork();
    if (child == 0) {
        close(pipes[0]);
        auto host = MakeHostFileSystem();
        const size_t frames = Analyse(*host, p).frames.size();
        if (write(pipes[1], &frames, sizeof frames) != sizeof frames)
            _exit(1);
        _exit(0);
    }
    close(pipes[1]);
    if (read(pipes[0], &run.frames, sizeof run.frames) != sizeof run.frames)
        run.frames = 0;
    close(pipes[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    run.seconds = Seconds(Steady::now() - start);
    run.peakKiB = usage.ru_maxrss;
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path work =
        fs::temp_directory_path() / ("veltrano-dump-bench-" + std::to_string(getpid()));
    fs::create_directories(work);
    std::vector<fs::path> set;
    const fs::path sample =
        fs::path(VELTRANO_SAMPLES_DIR) / "dumps/crashtest_invalid_parameter_x64.dmp";
    if (fs::exists(sample))
        set.push_back(sample);
    using namespace veltrano::testing;
    Save(work / "x64.dmp", WriteDump(SmallX64Dump()).bytes);
    Save(work / "x86.dmp", WriteDump(SmallX86Dump()).bytes);
    set.push_back(work / "x64.dmp");
    set.push_back(work / "x86.dmp");
    for (int i = 1; i < argc; ++i)
        set.push_back(argv[i]);

    auto host = MakeHostFileSystem();
    uint64_t bytes = 0;
    for (const fs::path& p : set)
        bytes += fs::file_size(p);
    std::printf("%zu dumps, %llu bytes\n", set.size(), static_cast<unsigned long long>(bytes));
    size_t frames = 0;
    const double ours =
        Rate(set, [&](const fs::path& p) { frames += Analyse(*host, p).frames.size(); });
    const double floor = Rate(set, [&](const fs::path& p) { bytes += PlainRead(p); });
    const fs::path peer =
        fs::path(VELTRANO_SOURCE_DIR) / "tests/platform/offline/dump/minidump_peer.py";
    const double python = Rate(set, [&](const fs::path& p) {
        const std::string command =
            "/usr/bin/python3 '" + peer.string() + "' '" + p.string() + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0)
            std::fprintf(stderr, "the peer failed on %s\n", p.c_str());
    });
    std::printf("analysis       %10.0f dumps/s\n", ours);
    std::printf("plain read     %10.0f dumps/s   analysis is %.2fx its time\n", floor,
                floor / ours);
    std::printf("python peer    %10.0f dumps/s   analysis is %.0fx faster\n", python,
                ours / python);

    if (fs::exists(sample)) {
        const fs::path large = work / "large.dmp";
        if (WriteLargeDump(Load(sample), large)) {
            const ChildRun small = InChild(sample);
            const ChildRun big = InChild(large);
            const auto start = Steady::now();
            const size_t read = PlainRead(large);
            const double plain = Seconds(Steady::now() - start);
            std::printf("sample dump    %8.4f s  peak %6ld KiB  %zu frames\n", small.seconds,
                        small.peakKiB, small.frames);
            std::printf(
                "1 GB dump      %8.4f s  peak %6ld KiB  %zu frames   (%.2fx the sample's time, "
                "%.2fx its memory)\n",
                big.seconds, big.peakKiB, big.frames, big.seconds / small.seconds,
                static_cast<double>(big.peakKiB) / small.peakKiB);
            std::printf(
                "plain read     %8.4f s  of %zu bytes (%.0fx the analysis of the 1 GB dump)\n",
                plain, read, plain / big.seconds);
        }
    }
    std::error_code ignored;
    fs::remove_all(work, ignored);
    return frames == 0 ? 1 : 0;
}
