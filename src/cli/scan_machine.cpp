// Choosing and assembling the analysed machine.
#include "cli/scan_machine.h"

#include "cli/given_sources.h"
#include "cli/root_check.h"
#include "drive/drive_scan.h"
#include "platform/host.h"
#include "platform/offline/host_clock.h"

namespace veltrano {
namespace {

class DriveScanMachine : public ScanMachine {
  public:
    DriveScanMachine(std::optional<FileTime> now, std::vector<ReportFolder> reportFolders)
        : hostClock_(MakeHostClock()), clock_(*hostClock_, now),
          reportFolders_(std::move(reportFolders)) {}
    // Opens the drive; false with the problem when its folder cannot be read.
    bool Open(const std::optional<std::string>& root, std::vector<Mount> mounts,
              std::string& problem) {
        auto drive = OpenDrive(root, clock_, std::move(mounts), problem);
        if (!drive)
            return false;
        drive_ = std::move(*drive);
        machine_ = drive_.offline->machine();
        return true;
    }
    FileSystem& HostFiles() override { return *drive_.host; }
    const std::vector<eventlog::LogFileFacts>* LogFacts() const override {
        return &drive_.offline->LogFacts();
    }
    std::vector<eventlog::LogFileFacts> ShownLogFacts() const override {
        std::vector<eventlog::LogFileFacts> logs = drive_.offline->LogFacts();
        for (eventlog::LogFileFacts& log : logs) {
            if (Text host = drive_.offline->HostPathOf(log.path); !host.empty())
                log.path = std::move(host);
        }
        return logs;
    }
    manifest::ManifestEventQuery* ManifestQuery() override {
        return &drive_.offline->manifestQuery();
    }
    std::vector<Text> MissingHives() override { return drive_.offline->MissingHives(); }
    std::vector<ReportFolder> GivenReportFolders() const override { return reportFolders_; }

  private:
    std::unique_ptr<Clock> hostClock_;
    FixedClock clock_;
    std::vector<ReportFolder> reportFolders_;
    OpenedDrive drive_;
};

}  // namespace

std::unique_ptr<ScanMachine> MakeDriveScanMachine(const std::optional<std::string>& root,
                                                  const ScanOptions& options,
                                                  MachineProblem& problem) {
    auto host = MakeHostFileSystem();
    if (root) {
        const RootProblem wrong = CheckRoot(*host, *root);
        if (wrong.exitCode != 0) {
            problem = {wrong.exitCode, wrong.message};
            return nullptr;
        }
    }
    GivenSources given = MountGivenSources(*host, options.logFiles, options.reportFolders);
    if (!given.problem.empty()) {
        problem = {2, given.problem};
        return nullptr;
    }
    auto scan = std::make_unique<DriveScanMachine>(options.now, std::move(given.reportFolders));
    if (!scan->Open(root, std::move(given.mounts), problem.message))
        return nullptr;
    return scan;
}

std::unique_ptr<ScanMachine> ScanMachine::Make(const ScanOptions& options,
                                               MachineProblem& problem) {
    if (options.root || !options.logFiles.empty() || !options.reportFolders.empty())
        return MakeDriveScanMachine(options.root, options, problem);
    return MakeDefaultScanMachine(options.now, problem);
}

}  // namespace veltrano
