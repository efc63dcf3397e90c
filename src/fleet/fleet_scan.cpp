// The pool over machine folders and the collectors after it.
#include "fleet/fleet_scan.h"

#include <atomic>
#include <exception>
#include <thread>

#include "engine/scan.h"
#include "fleet/fleet_names.h"
#include "fleet/forwarded_events.h"
#include "fleet/machine_name.h"
#include "platform/host.h"
#include "platform/offline/machine/offline_machine.h"

namespace veltrano {
namespace {

namespace fs = std::filesystem;

// One folder's outcome.
struct FolderScan {
    std::optional<FleetMachine> machine;
    std::string problem;
    std::optional<fs::path> forwardedLog;
};

FolderScan ScanFolder(const MachineFolder& folder, Clock& clock) {
    FolderScan out;
    auto host = MakeHostFileSystem();
    const Text root = Utf8ToUtf16(folder.path);
    const auto facts = host->Facts(root);
    if (!facts || !facts->IsDirectory() || !host->ListFolder(root)) {
        out.problem = folder.path + ": cannot read the machine folder";
        return out;
    }
    OfflineMachine offline(*host, root, clock);
    FleetMachine m;
    m.folder = folder.path;
    m.folderName = folder.name;
    m.catalogue = std::make_unique<ErrorCatalogue>();
    RunScan(*m.catalogue, offline.machine());
    m.computer = RecordedComputerName(offline.machine(), &offline.LogFacts());
    if (m.computer.empty())
        m.computer = Utf8ToUtf16(folder.name);
    out.machine = std::move(m);
    out.forwardedLog = ForwardedEventsLog(fs::u8path(folder.path));
    return out;
}

std::string SkippedLine(const std::string& folder, const ForwardedMachines& split) {
    std::string line = folder + ": ForwardedEvents: " + std::to_string(split.records) +
                       " records from " + std::to_string(split.catalogues.size()) + " computers";
    uint64_t skipped = 0;
    std::string logs;
    for (const auto& [log, count] : split.skippedByLog) {
        skipped += count;
        logs += (logs.empty() ? "" : ", ") + (log.empty() ? "no log" : Utf16ToUtf8(log)) + " " +
                std::to_string(count);
    }
    if (skipped > 0)
        line += "; skipped " + std::to_string(skipped) + " records of other logs (" + logs + ")";
    if (split.damagedRecords > 0)
        line += "; " + std::to_string(split.damagedRecords) + " damaged records skipped";
    if (split.damagedChunks > 0)
        line += "; " + std::to_string(split.damagedChunks) + " damaged chunks skipped";
    return line;
}

// The senders of one collector as machines of the run.
void AddForwarded(const MachineFolder& collector, const fs::path& log, Clock& clock, int jobs,
                  FleetRun& run) {
    auto host = MakeHostFileSystem();
    OfflineMachine offline(*host, Utf8ToUtf16(collector.path), clock);
    Machine ports = offline.machine();
    ports.files = nullptr;  // the collector's own reports and logs are its own machine's
    ports.eventLogs = nullptr;
    ports.eventQuery = nullptr;
    auto split = SplitForwardedEvents(log, ports, jobs);
    if (!split) {
        run.problems.push_back(collector.path + ": cannot read " + PathUtf8(log));
        return;
    }
    run.notes.push_back(SkippedLine(collector.path, *split));
    for (auto& [computer, catalogue] : split->catalogues) {
        FleetMachine m;
        m.computer = computer;
        m.folder = collector.path;
        m.folderName = collector.name;
        m.forwarded = true;
        m.catalogue = std::move(catalogue);
        run.machines.push_back(std::move(m));
    }
}

}  // namespace

FleetRun ScanFleet(const std::vector<MachineFolder>& folders, Clock& clock, int jobs) {
    std::vector<FolderScan> scans(folders.size());
    std::atomic<size_t> next{0};
    {
        std::vector<std::jthread> pool;
        const size_t workers =
            std::min<size_t>(static_cast<size_t>(std::max(jobs, 1)), folders.size());
        for (size_t w = 0; w < workers; ++w) {
            pool.emplace_back([&] {
                for (size_t i = next++; i < folders.size(); i = next++) {
                    try {
                        scans[i] = ScanFolder(folders[i], clock);
                    } catch (const std::exception& e) {
                        scans[i] = FolderScan{};
                        scans[i].problem = folders[i].path + ": " + e.what();
                    }
                }
            });
        }
    }
    FleetRun run;
    for (size_t i = 0; i < folders.size(); ++i) {
        if (!scans[i].problem.empty())
            run.problems.push_back(scans[i].problem);
        if (scans[i].machine)
            run.machines.push_back(std::move(*scans[i].machine));
        if (scans[i].forwardedLog)
            AddForwarded(folders[i], *scans[i].forwardedLog, clock, jobs, run);
    }
    NameMachines(run.machines);
    return run;
}

}  // namespace veltrano
