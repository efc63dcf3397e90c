// The pool over machine folders and the collectors after it.
#include "fleet/fleet_scan.h"

#include <atomic>
#include <exception>
#include <thread>

#include "drive/drive_scan.h"
#include "fleet/fleet_names.h"
#include "fleet/forwarded_events.h"
#include "fleet/machine_name.h"

namespace veltrano {
namespace {

namespace fs = std::filesystem;

// The collector's log as the collector's drive names it.
constexpr char16_t kForwardedEventsPath[] = u"C:\\Windows\\System32\\winevt\\Logs\\ForwardedEvents.evtx";

// One folder's outcome.
struct FolderScan {
    RunMachine machine;
    std::optional<fs::path> forwardedLog;
};

FolderScan ScanFolder(const MachineFolder& folder, Clock& clock, const ScanChoices& choices,
                      bool keepDrive) {
    FolderScan out;
    RunMachine& m = out.machine;
    m.folder = folder.path;
    m.folderName = folder.name;
    m.computer = Utf8ToUtf16(folder.name);
    std::string problem;
    auto drive = OpenDrive(folder.path, clock, {}, problem);
    if (!drive) {
        m.problem = folder.path + ": cannot read the machine folder";
        return out;
    }
    OfflineMachine& offline = *drive->offline;
    m.missingHives = offline.MissingHives();
    ScanReading reading = ScanPorts(*m.catalogue, offline.machine(), &offline.manifestQuery(),
                                    !m.missingHives.empty(), {}, choices, nullptr);
    m.reportFolders = std::move(reading.reportFolders);
    m.crashes = std::move(reading.crashes);
    m.logs = offline.LogFacts();
    if (Text computer = RecordedComputerName(offline.machine(), &offline.LogFacts());
        !computer.empty())
        m.computer = std::move(computer);
    out.forwardedLog = ForwardedEventsLog(fs::u8path(folder.path));
    if (keepDrive) {
        m.drive = std::move(drive);
        m.ports = &m.drive->offline->machine();
        m.textQuery = &m.drive->offline->manifestQuery();
    }
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
                  MachineRun& run) {
    std::string problem;
    auto drive = OpenDrive(collector.path, clock, {}, problem);
    if (!drive) {
        run.problems.push_back(collector.path + ": " + problem);
        return;
    }
    Machine ports = drive->offline->machine();
    FileSystem& files = *ports.files;
    ports.files = nullptr;  // the collector's own reports and logs are its own machine's
    ports.eventLogs = nullptr;
    ports.eventQuery = nullptr;
    auto split = SplitForwardedEvents(files, kForwardedEventsPath, ports, jobs);
    if (!split) {
        run.problems.push_back(collector.path + ": cannot read " + PathUtf8(log));
        return;
    }
    run.notes.push_back(SkippedLine(collector.path, *split));
    for (auto& [computer, catalogue] : split->catalogues) {
        RunMachine m;
        m.computer = computer;
        m.folder = collector.path;
        m.folderName = collector.name;
        m.forwarded = true;
        m.missingHives = drive->offline->MissingHives();  // the texts are the collector's
        m.catalogue = std::move(catalogue);
        run.machines.push_back(std::move(m));
    }
}

}  // namespace

MachineRun ScanFleet(const std::vector<MachineFolder>& folders, Clock& clock, int jobs,
                     const ScanChoices& choices, bool keepDrives) {
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
                        scans[i] = ScanFolder(folders[i], clock, choices, keepDrives);
                    } catch (const std::exception& e) {
                        scans[i] = FolderScan{};
                        scans[i].machine.folder = folders[i].path;
                        scans[i].machine.folderName = folders[i].name;
                        scans[i].machine.computer = Utf8ToUtf16(folders[i].name);
                        scans[i].machine.problem = folders[i].path + ": " + e.what();
                    }
                }
            });
        }
    }
    MachineRun run;
    for (size_t i = 0; i < folders.size(); ++i) {
        run.machines.push_back(std::move(scans[i].machine));
        if (scans[i].forwardedLog)
            AddForwarded(folders[i], *scans[i].forwardedLog, clock, jobs, run);
    }
    NameMachines(run.machines);
    return run;
}

}  // namespace veltrano
