// Scanning the machines of a run.
#include "cli/run_machines.h"

#include <algorithm>
#include <filesystem>
#include <thread>

#include "cli/scan_progress.h"
#include "fleet/fleet_folders.h"
#include "fleet/fleet_names.h"
#include "fleet/fleet_scan.h"
#include "fleet/machine_name.h"

namespace veltrano {
namespace {

ScanChoices Choices(const ScanOptions& options) {
    ScanChoices choices;
    choices.readDumps = options.readDumps;
    return choices;
}

}  // namespace

bool SeveralMachines(const ScanOptions& options) {
    return options.roots.size() > 1 || options.fleet ||
           (options.root && ForwardedEventsLog(std::filesystem::u8path(*options.root)));
}

MachineRun ScanOneMachine(ScanMachine& scan, const ScanOptions& options, bool scanErrors) {
    MachineRun run;
    RunMachine& m = run.machines.emplace_back();
    Machine& machine = scan.machine();
    m.folder = options.root.value_or("");
    m.folderName = m.folder.empty() ? "" : FolderName(m.folder);
    m.missingHives = scan.MissingHives();
    if (scanErrors) {
        ScanProgress progress(machine, scan.LogFacts());
        ScanReading reading =
            ScanPorts(*m.catalogue, machine, scan.ManifestQuery(), !m.missingHives.empty(),
                      scan.GivenReportFolders(), Choices(options), &progress);
        m.reportFolders = std::move(reading.reportFolders);
        m.crashes = std::move(reading.crashes);
    }
    m.logs = scan.ShownLogFacts();
    m.computer = MachineName(machine, m.folder, scan.LogFacts());
    m.ports = &machine;
    m.textQuery = scan.ManifestQuery();
    NameMachines(run.machines);
    return run;
}

MachineRun ScanManyMachines(const ScanOptions& options, Clock& clock, bool keepDrives) {
    const int jobs =
        options.jobs.value_or(static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    const FoundFolders found = FindMachineFolders(options.roots, options.fleet);
    MachineRun run = ScanFleet(found.folders, clock, jobs, Choices(options), keepDrives);
    run.problems.insert(run.problems.begin(), found.problems.begin(), found.problems.end());
    run.notes.insert(run.notes.begin(), found.notes.begin(), found.notes.end());
    return run;
}

}  // namespace veltrano
