// A one-machine scan as users run it (the veltrano-scan process) on a drive with the largest shared
// log and the manifests and message files for its records (texts on), against `evtxexport -f xml`
// on the same file (its peer: the open reader that decodes every record's XML); medians of five
// runs each, measured one after the other. Then the peak memory of a scan of a 324 MB log (the
// largest log's chunks twenty times over, renumbered as a machine that kept writing would number
// them), beside the collector's split of the same file.
//
//   log_scan_bench [WORK_DIR [--keep]]   (--keep: the drive stays in WORK_DIR/drive, with the
//                                        largest log as its System log, for profiling)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/crc32.h"
#include "fleet/forwarded_events.h"
#include "manifest_drive.h"
#include "platform/host.h"
#include "platform/offline/eventlog/byte_cursor.h"
#include "platform/offline/eventlog/evtx_file.h"
#include "platform/offline/host_clock.h"
#include "platform/offline/machine/offline_machine.h"

namespace fs = std::filesystem;
using namespace veltrano;

namespace {

constexpr const char* kLargestLog = "DAM_Win2012R2_StolenSzechuan__System.evtx";
constexpr const char* kServicesManifest = "pyevtx-rs__services_wevt_template.bin";
constexpr int kRuns = 5;
constexpr int kCopies = 20;

struct Run {
    double seconds = 0;
    double peakMiB = 0;
    bool ok = false;
};

// Runs a shell command line as its own process: its elapsed time and peak resident memory.
Run RunProcess(const std::string& command) {
    std::fflush(stdout);
    const auto started = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execl("/bin/sh", "sh", "-c", ("exec " + command).c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    Run run;
    run.ok = child > 0 && wait4(child, &status, 0, &usage) == child && WIFEXITED(status) &&
             WEXITSTATUS(status) == 0;
    run.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return run;
}

Run Median(const std::string& command) {
    std::vector<Run> runs;
    for (int i = 0; i < kRuns; ++i)
        runs.push_back(RunProcess(command));
    std::sort(runs.begin(), runs.end(),
              [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
    Run median = runs[runs.size() / 2];
    median.ok = std::all_of(runs.begin(), runs.end(), [](const Run& r) { return r.ok; });
    return median;
}

void AddToLe64(uint8_t* at, uint64_t add) {
    uint64_t value = eventlog::Le64(at) + add;
    for (int i = 0; i < 8; ++i, value >>= 8)
        at[i] = static_cast<uint8_t>(value);
}

// The log's chunks `copies` times over, each copy's record numbers after the previous copy's.
std::vector<uint8_t> LongLog(const std::vector<uint8_t>& log, int copies) {
    using namespace eventlog;
    uint64_t span = 0;
    for (size_t at = kEvtxFileHeaderBlock; at + kEvtxChunkSize <= log.size(); at += kEvtxChunkSize) {
        if (const auto range = EvtxChunkRecordRange(Bytes(log).subspan(at, kEvtxChunkHeaderSize)))
            span = std::max(span, range->last);
    }
    std::vector<uint8_t> out(log.begin(), log.begin() + kEvtxFileHeaderBlock);
    for (int k = 0; k < copies; ++k) {
        const uint64_t add = span * static_cast<uint64_t>(k);
        for (size_t at = kEvtxFileHeaderBlock; at + kEvtxChunkSize <= log.size();
             at += kEvtxChunkSize) {
            std::vector<uint8_t> chunk(log.begin() + static_cast<ptrdiff_t>(at),
                                       log.begin() + static_cast<ptrdiff_t>(at + kEvtxChunkSize));
            if (EvtxChunkRecordRange(chunk)) {
                std::vector<uint32_t> records;
                ForEachEvtxChunkRecord(chunk, false,
                                       [&](const EvtxRecord& r) { records.push_back(r.offset); });
                for (const uint32_t offset : records)
                    AddToLe64(chunk.data() + offset + 8, add);
                for (const size_t field : {8, 16, 24, 32})  // log and file record numbers
                    AddToLe64(chunk.data() + field, add);
                uint32_t crc = Crc32(chunk.data(), 120);
                crc = Crc32(chunk.data() + 128, kEvtxChunkHeaderSize - 128, crc);
                for (int i = 0; i < 4; ++i)
                    chunk[124 + i] = static_cast<uint8_t>(crc >> (8 * i));
            }
            out.insert(out.end(), chunk.begin(), chunk.end());
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path samples = VELTRANO_SAMPLES_DIR;
    const fs::path log = samples / "evtx" / kLargestLog;
    if (!fs::exists(log)) {
        std::fprintf(stderr, "the shared samples are not there (%s)\n", log.c_str());
        return 1;
    }
    const fs::path work =
        argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "veltrano-log-scan-bench";
    fs::remove_all(work);
    const fs::path drive = work / "drive";
    const size_t modern =
        bench::BuildManifestDrive(drive, log, samples / "wevt" / kServicesManifest);
    const std::string scan = std::string(VELTRANO_SCAN) + " --root '" + drive.string() +
                             "' --format json > /dev/null 2>&1";
    const std::string peer = "evtxexport -f xml '" + log.string() + "' > /dev/null 2>&1";

    std::printf("%s (%.1f MB), %zu error records with a manifest on the drive\n", kLargestLog,
                static_cast<double>(fs::file_size(log)) / 1e6, modern);
    const Run ours = Median(scan);
    const Run theirs = Median(peer);
    std::printf("veltrano-scan, texts on:  %.3f s, peak %.1f MiB%s\n", ours.seconds, ours.peakMiB,
                ours.ok ? "" : " (failed)");
    std::printf("evtxexport -f xml (peer): %.3f s, peak %.1f MiB%s\n", theirs.seconds,
                theirs.peakMiB, theirs.ok ? "" : " (failed)");
    std::printf("ratio: the scan is %.1fx as fast as the peer\n", theirs.seconds / ours.seconds);

    if (argc > 2 && std::string(argv[2]) == "--keep")
        return ours.ok && theirs.ok ? 0 : 1;
    // The long log in place of the drive's System log.
    const fs::path system = drive / "Windows/System32/winevt/Logs/System.evtx";
    bench::WriteFile(system, LongLog(bench::ReadFile(log), kCopies));
    const double mb = static_cast<double>(fs::file_size(system)) / 1e6;
    const Run big = RunProcess(scan);
    std::printf("veltrano-scan of a %.0f MB System log: %.2f s, peak %.1f MiB%s\n", mb, big.seconds,
                big.peakMiB, big.ok ? "" : " (failed)");
    {
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            auto host = MakeHostFileSystem();
            auto clock = MakeHostClock();
            OfflineMachine collector(*host, Utf8ToUtf16(drive.string()), *clock);
            Machine ports = collector.machine();
            const auto started = std::chrono::steady_clock::now();
            const auto split = SplitForwardedEvents(system, ports, 2);
            const double s =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            rusage usage{};
            getrusage(RUSAGE_SELF, &usage);
            std::printf("the collector's split of the same file (2 threads): %.2f s, %llu records, "
                        "peak %.1f MiB\n",
                        s, static_cast<unsigned long long>(split ? split->records : 0),
                        static_cast<double>(usage.ru_maxrss) / 1024.0);
            std::fflush(stdout);
            _exit(split ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
    }
    fs::remove_all(work);
    return ours.ok && theirs.ok && big.ok ? 0 : 1;
}
