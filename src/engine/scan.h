// The scan: fixes the interval boundaries, empties the catalogue, reads the report archive and
// the event logs, joins reports to events, and tells the owner window when it is done.
#pragma once

#include <vector>

#include "engine/catalogue.h"
#include "engine/catalogue_fill.h"
#include "engine/report_archive.h"
#include "platform/machine.h"

namespace veltrano {

// What a scan reads beyond the machine's report archives.
struct ScanScope {
    bool reportQueues = false;                // the queues beside the archives
    std::vector<ReportFolder> reportFolders;  // folders given besides the machine's own
    std::vector<ReportFolderFacts>* readFolders = nullptr;  // receives what each folder gave
};

// Fills the catalogue from the machine's sources; returns 0.
int RunScan(ErrorCatalogue& catalogue, Machine& machine, const ScanScope& scope = {});

// The worker thread's body: RunScan, then WM_SCAN_DONE with the elapsed whole seconds.
int ScanWorker(ErrorCatalogue& catalogue, Machine& machine);

}  // namespace veltrano
