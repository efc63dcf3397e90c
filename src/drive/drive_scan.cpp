// Opening and scanning a drive.
#include "drive/drive_scan.h"

#include "drive/crash_dumps.h"
#include "drive/missing_texts.h"
#include "engine/scan.h"
#include "platform/host.h"

namespace veltrano {

std::optional<OpenedDrive> OpenDrive(const std::optional<std::string>& root, Clock& clock,
                                     std::vector<Mount> mounts, std::string& problem) {
    OpenedDrive drive;
    drive.host = MakeHostFileSystem();
    Text folder;
    if (root) {
        folder = Utf8PathToUtf16(*root);
        const auto facts = drive.host->Facts(folder);
        if (!facts || !facts->IsDirectory() || !drive.host->ListFolder(folder)) {
            problem = "cannot read the folder " + *root;
            return std::nullopt;
        }
    } else {
        mounts.push_back({u"C:", u""});  // the drive is nothing but what was put in place
    }
    drive.offline = std::make_unique<OfflineMachine>(*drive.host, folder, clock, std::move(mounts));
    return drive;
}

ScanReading ScanPorts(ErrorCatalogue& catalogue, Machine& machine,
                      manifest::ManifestEventQuery* query, bool registryMissing,
                      const std::vector<ReportFolder>& givenFolders, const ScanChoices& choices,
                      MessageSink* progress) {
    ScanReading reading;
    ScanScope scope;
    scope.reportQueues = true;
    scope.reportFolders = givenFolders;
    scope.readFolders = &reading.reportFolders;
    catalogue.ownerWindow = progress;
    RunScan(catalogue, machine, scope);
    catalogue.ownerWindow = nullptr;
    ExplainMissingTexts(catalogue, machine, query, registryMissing);
    if (choices.readDumps && machine.files != nullptr) {
        std::vector<ReportFolder> folders = MachineReportFolders(*machine.files, true);
        folders.insert(folders.end(), givenFolders.begin(), givenFolders.end());
        reading.crashes = ReadCrashDumps(catalogue, machine, folders);
    }
    return reading;
}

}  // namespace veltrano
