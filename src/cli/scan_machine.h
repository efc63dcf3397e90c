// The machine veltrano-scan analyses: a Windows drive given by --root, else the live machine on
// Windows and the bundled sample machine elsewhere; with the clock of --now.
#pragma once

#include <memory>
#include <string>

#include "cli/options.h"
#include "platform/machine.h"
#include "platform/offline/eventlog/log_facts.h"

namespace veltrano::manifest {
class ManifestEventQuery;
}

namespace veltrano {

class ScanMachine {
  public:
    virtual ~ScanMachine() = default;
    // Null with a one-line problem when the root cannot be read.
    static std::unique_ptr<ScanMachine> Make(const ScanOptions& options, std::string& problem);

    Machine& machine() { return machine_; }
    // The host's own files, for the output files the command writes.
    virtual FileSystem& HostFiles() = 0;
    // What became of each log file the scan opened; null where the logs are not files (the
    // live machine's event-log service).
    virtual const std::vector<eventlog::LogFileFacts>* LogFacts() const { return nullptr; }
    // The analysed drive's manifest-based event query, which also tells why a text is missing;
    // null for the live machine.
    virtual manifest::ManifestEventQuery* ManifestQuery() { return nullptr; }

  protected:
    Machine machine_;
};

// The machine the command analyses without --root (per host).
std::unique_ptr<ScanMachine> MakeDefaultScanMachine(std::optional<FileTime> now,
                                                    std::string& problem);

// An analysed drive below a host folder.
std::unique_ptr<ScanMachine> MakeDriveScanMachine(const std::string& root,
                                                  std::optional<FileTime> now,
                                                  std::string& problem);

}  // namespace veltrano
