// A machine of a run: one machine given alone is a run of one, a fleet a run of many. What every
// output says of it: its name, its errors, and what its scan read and skipped.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "crash/crash_findings.h"
#include "drive/drive_scan.h"
#include "engine/catalogue.h"
#include "engine/report_archive.h"
#include "platform/machine.h"
#include "platform/offline/eventlog/log_facts.h"

namespace veltrano {

struct RunMachine {
    Text computer;       // the name it gives itself (see MachineName)
    Text name;           // as the run shows it: the computer, with its folder when two share it
    std::string folder;  // its folder; a forwarded machine's is its collector's
    std::string folderName;
    bool forwarded = false;
    std::string problem;  // why its folder could not be opened; empty when it was
    std::unique_ptr<ErrorCatalogue> catalogue = std::make_unique<ErrorCatalogue>();
    std::vector<eventlog::LogFileFacts> logs;  // each file named as the user knows it
    std::vector<Text> missingHives;
    std::vector<ReportFolderFacts> reportFolders;
    crash::CrashFindings crashes;  // its dumps, joined to its errors; empty with --dumps off
    // Its ports while the outputs need them (the page's lookups, the message statistics): a
    // drive kept open, or the one machine of a run of one; null once the drive is closed.
    Machine* ports = nullptr;
    manifest::ManifestEventQuery* textQuery = nullptr;  // the drive's, telling why texts are missing
    std::optional<OpenedDrive> drive;

    // Whether anything could be read of it: a log, a report, a dump, or records forwarded for it.
    bool Readable() const;
};

struct MachineRun {
    // Folder machines in the order of their folders, each collector's senders after it by name.
    std::vector<RunMachine> machines;
    std::vector<std::string> problems;  // what could not be looked into, one line each
    std::vector<std::string> notes;     // what a collector's log held, one line each
};

}  // namespace veltrano
