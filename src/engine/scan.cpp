// The scan coordinator.
#include "engine/scan.h"

#include <mutex>

#include "engine/event_log_reader.h"
#include "engine/link_reports.h"
#include "engine/report_archive.h"
#include "engine/scan_messages.h"
#include "shell/time_text.h"

namespace veltrano {

int RunScan(ErrorCatalogue& catalogue, Machine& machine, const ScanScope& scope) {
    PrepareCatalogue(catalogue, *machine.clock);
    if (machine.files != nullptr) {
        std::vector<ReportFolder> folders = MachineReportFolders(*machine.files, scope.reportQueues);
        folders.insert(folders.end(), scope.reportFolders.begin(), scope.reportFolders.end());
        auto facts = ReadReportFolders(catalogue, *machine.files, *machine.clock, folders);
        if (scope.readFolders != nullptr)
            *scope.readFolders = std::move(facts);
    }
    ReadEventLogs(catalogue, machine);
    std::lock_guard lock(catalogue.CatalogueLock);
    LinkReports(catalogue, machine.messages);
    return 0;
}

int ScanWorker(ErrorCatalogue& catalogue, Machine& machine) {
    const int64_t started = machine.clock->NowSeconds();
    RunScan(catalogue, machine);
    const int64_t elapsed = machine.clock->NowSeconds() - started;
    if (catalogue.ownerWindow != nullptr) {
        catalogue.ownerWindow->Post(WM_SCAN_DONE, static_cast<uintptr_t>(elapsed), 0);
    }
    return 0;
}

}  // namespace veltrano
