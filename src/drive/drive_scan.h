// An analysed drive, opened and scanned the one way that a run of one machine and a fleet's
// machines share.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "crash/crash_findings.h"
#include "engine/catalogue.h"
#include "engine/report_archive.h"
#include "platform/machine.h"
#include "platform/offline/machine/offline_machine.h"

namespace veltrano {

// A drive below a host folder with the host's files it is read through.
struct OpenedDrive {
    std::unique_ptr<FileSystem> host;
    std::unique_ptr<OfflineMachine> offline;
};

// root: the folder that stands for "C:\" as the host names it (UTF-8, a name that is not UTF-8
// in the host's own bytes); nullopt: no drive, only what mounts put in place. nullopt with a
// problem line when the folder cannot be read.
std::optional<OpenedDrive> OpenDrive(const std::optional<std::string>& root, Clock& clock,
                                     std::vector<Mount> mounts, std::string& problem);

// What a scan reads besides the logs and reports.
struct ScanChoices {
    bool readDumps = true;  // the crash dumps, joined to their errors
};

// What a scan read besides its errors.
struct ScanReading {
    std::vector<ReportFolderFacts> reportFolders;
    crash::CrashFindings crashes;
};

// Fills the catalogue from the machine's ports: its report archives and queues, the report folders
// given besides them, and its logs; then notes on each entry without a text why it has none; then
// with choices.readDumps joins the crash dumps of those folders and the machine's to the errors.
// query: the drive's manifest port (null for the live machine); registryMissing: the drive lacks
// a registry hive; progress: receives the scan's messages (may be null).
ScanReading ScanPorts(ErrorCatalogue& catalogue, Machine& machine,
                      manifest::ManifestEventQuery* query, bool registryMissing,
                      const std::vector<ReportFolder>& givenFolders, const ScanChoices& choices,
                      MessageSink* progress);

}  // namespace veltrano
