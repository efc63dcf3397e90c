// Scanning the machines of a run in parallel: a small pool of threads over the machine folders,
// each machine with its own ports and its own catalogue, filled by the one engine (RunScan); then
// the collectors' forwarded events, split by computer.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/catalogue.h"
#include "fleet/fleet_folders.h"
#include "platform/clock.h"

namespace veltrano {

struct FleetMachine {
    Text computer;       // the name it gives itself (see MachineName)
    Text name;           // as the run shows it: the computer, with its folder when two share it
    std::string folder;  // its folder; a forwarded machine's is its collector's
    std::string folderName;
    bool forwarded = false;
    std::unique_ptr<ErrorCatalogue> catalogue;
};

struct FleetRun {
    // Folder machines in the order of their folders, each collector's senders after it by name.
    std::vector<FleetMachine> machines;
    std::vector<std::string> problems;  // machines that could not be read, one line each
    std::vector<std::string> notes;     // what a collector's log held, one line each
};

// jobs: machines (and collector chunks) worked on at once. The clock is shared by every machine
// and must stand still (one "now" for the whole run).
FleetRun ScanFleet(const std::vector<MachineFolder>& folders, Clock& clock, int jobs);

}  // namespace veltrano
