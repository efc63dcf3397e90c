// Parses an .evtx file into classic records and times it against two independent readers on the
// same file in the same run: evtxexport (libevtx-utils) and python-evtx. Prints records per second
// for each and the ratios.
//   evtx_bench [file.evtx] [--no-python]
// Without a file it takes the largest .evtx of the shared samples.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/offline/eventlog/log_file.h"

namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

fs::path LargestSample() {
    fs::path best;
    std::error_code e;
    for (const auto& entry : fs::directory_iterator(fs::path(VELTRANO_SAMPLES_DIR) / "evtx", e)) {
        if (entry.path().extension() == ".evtx" &&
            (best.empty() || entry.file_size() > fs::file_size(best))) {
            best = entry.path();
        }
    }
    return best;
}

// Wall time of a shell command, or a negative value when it failed.
double TimeCommand(const std::string& command) {
    const auto start = Clock::now();
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    const double elapsed = Seconds(Clock::now() - start);
    return status == 0 ? elapsed : -1;
}

void Report(const char* name, size_t records, double seconds, double ours) {
    if (seconds < 0) {
        std::printf("%-12s  not available\n", name);
        return;
    }
    std::printf("%-12s %9.3f s %12.0f records/s", name, seconds, records / seconds);
    if (ours > 0 && seconds != ours)
        std::printf("   veltrano is %.1fx faster", seconds / ours);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    fs::path file;
    bool python = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-python") == 0) {
            python = false;
        } else {
            file = argv[i];
        }
    }
    if (file.empty())
        file = LargestSample();
    std::ifstream in(file, std::ios::binary);
    if (file.empty() || !in) {
        std::fprintf(stderr, "no .evtx file (give one, or have the shared samples)\n");
        return 2;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});

    // Ours: the file in memory to classic records, best of five.
    size_t records = 0;
    double ours = 1e30;
    for (int run = 0; run < 5; ++run) {
        const auto start = Clock::now();
        const auto log =
            veltrano::eventlog::ReadLogFile(bytes, veltrano::eventlog::LogFormat::Evtx);
        ours = std::min(ours, Seconds(Clock::now() - start));
        records = log.Count();
    }
    std::printf("%s: %zu bytes, %zu records\n", file.filename().c_str(), bytes.size(), records);
    Report("veltrano", records, ours, ours);

    const std::string quoted = "'" + file.string() + "'";
    Report("evtxexport", records, TimeCommand("evtxexport " + quoted), ours);
    if (python) {
        const fs::path peer =
            fs::path(VELTRANO_SOURCE_DIR) / "tests/platform/offline/eventlog/event_log_peer.py";
        Report("python-evtx", records,
               TimeCommand("/usr/bin/python3 '" + peer.string() + "' evtx " + quoted), ours);
    }
    return 0;
}
