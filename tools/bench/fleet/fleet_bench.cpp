// A fleet's two loads. A collector's ForwardedEvents log of 1,000,000 records from 1,000
// computers split by computer: records per second from one decoding thread to all cores, and peak
// memory for the whole log and for a quarter of it; the peer is the event-log port of a one-machine
// scan handing out every record of the same file. Then 1,000 machine folders through the fleet's pool: machines
// per second from one job to all cores, against one job.
//
//   fleet_bench [WORK_DIR [collector|folders]]   (default: a folder below the system's temporary
//                                                folder, both parts)
#include <unistd.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "fleet/fleet_folders.h"
#include "fleet/fleet_scan.h"
#include "fleet/forwarded_events.h"
#include "platform/host.h"
#include "engine/event_record.h"
#include "platform/offline/host_clock.h"
#include "platform/offline/machine/offline_machine.h"
#include "sample_machine/sample_content.h"
#include "sample_machine/sample_message_dll.h"
#include "sample_machine/sample_writer.h"
#include "shell/local_texts.h"
#include "writers/evtx/evtx_log_writer.h"

using namespace veltrano;
namespace fs = std::filesystem;
using Stopwatch = std::chrono::steady_clock;

namespace {

constexpr uint64_t kRecords = 1'000'000;
constexpr int kComputers = 1'000;
constexpr int kMachineFolders = 1'000;
constexpr size_t kBatch = 20'000;  // records written at once
const FileTime kNow = *CalendarToFileTime({2026, 12, 8, 12, 0, 0, 0});

double Seconds(Stopwatch::time_point since) {
    return std::chrono::duration<double>(Stopwatch::now() - since).count();
}

// The peak resident memory of this process in MiB.
double PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The processor time of this process's threads so far, in seconds: on a machine whose cores others
// use too, what a run costs shows here rather than in its elapsed time.
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Runs body in a child process, so that what the parent allocated is not counted and every run
// starts with the same memory; false when the child failed.
template <typename Body>
bool InChild(Body body) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        body();
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// One forwarded record of 1,000 computers: mostly Application and System, one in ten of another
// log, one in five an error. Each computer has its 5 of 50 sources with 4 event identifiers
// each: 20 distinct errors a computer, as the sample machine has.
evtxwriter::EvtxEvent CollectorEvent(uint64_t i) {
    evtxwriter::EvtxEvent e;
    e.recordId = i + 1;
    e.time = kNow - (kRecords - i) * 30 * 10'000'000ull;  // every 30 s over the year before
    const uint64_t computer = i * 2654435761u % kComputers;
    e.computer = u"PC-" + DecimalText(static_cast<int64_t>(computer)) + u".corp.example";
    e.channel = i % 10 == 9 ? u"Security" : i % 2 ? u"Application" : u"System";
    e.level = i % 5 == 0 ? 2 : 4;
    e.provider = u"Service" + DecimalText(static_cast<int64_t>((computer * 7 + i / 3 % 5) % 50));
    e.eventId = static_cast<uint16_t>(7000 + i / 17 % 4);
    e.data = {u"Background Transfer", u"The service did not respond in time.",
              u"0x" + DecimalText(static_cast<int64_t>(i % 9973))};
    return e;
}

// The log, written batch by batch: the chunks of each batch's file follow the first header.
void WriteCollectorLog(const fs::path& path, uint64_t records) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (uint64_t start = 0; start < records; start += kBatch) {
        std::vector<evtxwriter::EvtxEvent> events;
        for (uint64_t i = start; i < std::min(records, start + kBatch); ++i)
            events.push_back(CollectorEvent(i));
        const auto bytes = evtxwriter::WriteEvtxLog(events, u"ForwardedEvents");
        const size_t skip = start == 0 ? 0 : evtxwriter::kFileHeaderBlock;
        out.write(reinterpret_cast<const char*>(bytes.data() + skip),
                  static_cast<std::streamsize>(bytes.size() - skip));
    }
}

// The collector's drive: its message ports come from its (empty) registry.
struct Collector {
    std::unique_ptr<FileSystem> host = MakeHostFileSystem();
    std::unique_ptr<Clock> zone = MakeHostClock();
    FixedClock clock{*zone, kNow};
    OfflineMachine offline;
    explicit Collector(const fs::path& root) : offline(*host, Utf8ToUtf16(root.string()), clock) {}
};

void MeasureCollector(const fs::path& work) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const fs::path root = work / "collector";
    const fs::path logs = root / "Windows" / "System32" / "winevt" / "Logs";
    fs::create_directories(logs);
    std::printf("collector: %llu records from %d computers\n",
                static_cast<unsigned long long>(kRecords), kComputers);

    for (const uint64_t records : {kRecords / 4, kRecords}) {
        const fs::path log = logs / ("ForwardedEvents-" + std::to_string(records) + ".evtx");
        InChild([&] { WriteCollectorLog(log, records); });
        const double fileMiB = static_cast<double>(fs::file_size(log)) / (1 << 20);
        if (records == kRecords) {
            InChild([&] {
                Collector c(root);
                const Text name = Utf8ToUtf16("ForwardedEvents-" + std::to_string(records));
                const auto started = Stopwatch::now();
                const double cpu = CpuSeconds();
                auto port = c.offline.machine().eventLogs->Open(name);
                std::vector<uint8_t> buffer(1 << 16);
                uint64_t n = 0;
                for (;;) {
                    const EventLogRead read =
                        port->ReadBackwards(buffer.data(), static_cast<uint32_t>(buffer.size()));
                    if (!read.ok)
                        break;
                    WalkEventRecords(buffer.data(), read.bytesRead,
                                     [&](const EventRecordView&) { ++n; });
                }
                const double s = Seconds(started);
                std::printf(
                    "  peer, the event-log port of a one-machine scan (every record handed out): "
                    "%.0f records/s, %.0f per processor second, peak %.0f MiB\n",
                    static_cast<double>(n) / s, static_cast<double>(n) / (CpuSeconds() - cpu),
                    PeakMiB());
            });
        }
        for (unsigned threads = 1; threads <= cores; ++threads) {
            if (records != kRecords && threads != cores)
                continue;
            InChild([&] {
                Collector c(root);
                Machine ports = c.offline.machine();
                ports.files = nullptr;
                ports.eventLogs = nullptr;
                const auto started = Stopwatch::now();
                const double cpu = CpuSeconds();
                const auto split = SplitForwardedEvents(log, ports, static_cast<int>(threads));
                const double s = Seconds(started);
                const double n = static_cast<double>(split->records);
                size_t entries = 0;
                for (const auto& [computer, catalogue] : split->catalogues)
                    entries += catalogue->entries.size();
                std::printf(
                    "  split, %u decoding thread%s, %.0f MiB log: %.0f records/s, %.0f per "
                    "processor second, %zu computers, %zu distinct errors, peak %.0f MiB\n",
                    threads, threads == 1 ? "" : "s", fileMiB, n / s, n / (CpuSeconds() - cpu),
                    split->catalogues.size(), entries, PeakMiB());
            });
        }
        fs::remove(log);
    }
}

void MeasureFolders(const fs::path& work) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const fs::path fleet = work / "fleet";
    const fs::path model = work / "model";
    fs::remove_all(fleet);
    fs::remove_all(model);
    sample::WriteSampleMachine(sample::DescribeSampleMachine(kNow), model,
                               sample::SampleMessageDll());
    // Every machine the sample machine: its files linked, not copied, so that 1,000 of them fit.
    for (int m = 0; m < kMachineFolders; ++m) {
        const fs::path target = fleet / ("pc-" + std::to_string(m));
        for (const auto& entry : fs::recursive_directory_iterator(model)) {
            const fs::path to = target / fs::relative(entry.path(), model);
            fs::create_directories(entry.is_directory() ? to : to.parent_path());
            if (!entry.is_directory())
                fs::create_hard_link(entry.path(), to);
        }
    }
    std::printf("fleet: %d machine folders (the sample machine, %zu files each)\n", kMachineFolders,
                static_cast<size_t>(std::distance(fs::recursive_directory_iterator(model),
                                                  fs::recursive_directory_iterator())));
    double one = 0;
    for (unsigned jobs = 1; jobs <= cores; ++jobs) {
        const double cpuBefore = CpuSeconds();
        auto zone = MakeHostClock();
        FixedClock clock(*zone, kNow);
        const auto found = FindMachineFolders({}, fleet.string());
        const auto started = Stopwatch::now();
        const MachineRun run = ScanFleet(found.folders, clock, static_cast<int>(jobs));
        const double rate = static_cast<double>(run.machines.size()) / Seconds(started);
        if (jobs == 1)
            one = rate;
        std::printf(
            "  %u job%s: %.1f machines/s (%.2f x one job), %.1f per processor second, %zu "
            "machines, %zu problems\n",
            jobs, jobs == 1 ? "" : "s", rate, rate / one,
            static_cast<double>(run.machines.size()) / (CpuSeconds() - cpuBefore),
            run.machines.size(), run.problems.size());
    }
    fs::remove_all(fleet);
    fs::remove_all(model);
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path work =
        argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "veltrano-fleet-bench";
    fs::create_directories(work);
    InitLocalTexts(0x0409, u"");
    std::printf("cores: %u\n", std::thread::hardware_concurrency());
    const std::string part = argc > 2 ? argv[2] : "";
    if (part.empty() || part == "collector")
        MeasureCollector(work);
    if (part.empty() || part == "folders")
        MeasureFolders(work);
    fs::remove_all(work);
    return 0;
}
