// The machine veltrano-scan analyses: a Windows drive given by --root, logs and report folders
// given by --log and --reports (beside a drive or alone), else the live machine on Windows and
// the bundled sample machine elsewhere; with the clock of --now.
#pragma once

#include <memory>
#include <string>

#include "cli/options.h"
#include "engine/report_archive.h"
#include "platform/machine.h"
#include "platform/offline/eventlog/log_facts.h"

namespace veltrano::manifest {
class ManifestEventQuery;
}

namespace veltrano {

struct MachineProblem {
    int exitCode = 1;  // 1: cannot be read; 2: wrong input
    std::string message;
};

class ScanMachine {
  public:
    virtual ~ScanMachine() = default;
    // Null with the problem when the machine cannot be had.
    static std::unique_ptr<ScanMachine> Make(const ScanOptions& options, MachineProblem& problem);

    Machine& machine() { return machine_; }
    // The host's own files, for the output files the command writes.
    virtual FileSystem& HostFiles() = 0;
    // What became of each log file the scan opened, as the scan goes; null where the logs are
    // not files (the live machine's event-log service).
    virtual const std::vector<eventlog::LogFileFacts>* LogFacts() const { return nullptr; }
    // The same with each file named as the user knows it (a given log by the path given).
    virtual std::vector<eventlog::LogFileFacts> ShownLogFacts() const { return {}; }
    // The analysed drive's manifest-based event query, which also tells why a text is missing;
    // null for the live machine.
    virtual manifest::ManifestEventQuery* ManifestQuery() { return nullptr; }
    // The registry hives the analysed drive lacks ("SYSTEM", "SOFTWARE"); none for the live
    // machine.
    virtual std::vector<Text> MissingHives() { return {}; }
    // Report folders given besides the machine's own.
    virtual std::vector<ReportFolder> GivenReportFolders() const { return {}; }

  protected:
    Machine machine_;
};

// The machine the command analyses without --root (per host).
std::unique_ptr<ScanMachine> MakeDefaultScanMachine(std::optional<FileTime> now,
                                                    MachineProblem& problem);

// An analysed drive below a host folder (none: only what options give by --log and --reports).
std::unique_ptr<ScanMachine> MakeDriveScanMachine(const std::optional<std::string>& root,
                                                  const ScanOptions& options,
                                                  MachineProblem& problem);

}  // namespace veltrano
