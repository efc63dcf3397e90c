// Choosing and assembling the analysed machine.
#include "cli/scan_machine.h"

#include "cli/given_sources.h"
#include "cli/root_check.h"
#include "platform/host.h"
#include "platform/offline/host_clock.h"
#include "platform/offline/machine/offline_machine.h"

namespace veltrano {
namespace {

class DriveScanMachine : public ScanMachine {
  public:
    DriveScanMachine(std::unique_ptr<FileSystem> host, const Text& root,
                     std::optional<FileTime> now, GivenSources given)
        : host_(std::move(host)),
          hostClock_(MakeHostClock()),
          clock_(*hostClock_, now),
          offline_(*host_, root, clock_, std::move(given.mounts)),
          reportFolders_(std::move(given.reportFolders)) {
        machine_ = offline_.machine();
    }
    FileSystem& HostFiles() override { return *host_; }
    const std::vector<eventlog::LogFileFacts>* LogFacts() const override {
        return &offline_.LogFacts();
    }
    std::vector<eventlog::LogFileFacts> ShownLogFacts() const override {
        std::vector<eventlog::LogFileFacts> logs = offline_.LogFacts();
        for (eventlog::LogFileFacts& log : logs) {
            if (Text host = offline_.HostPathOf(log.path); !host.empty())
                log.path = std::move(host);
        }
        return logs;
    }
    manifest::ManifestEventQuery* ManifestQuery() override { return &offline_.manifestQuery(); }
    std::vector<Text> MissingHives() override { return offline_.MissingHives(); }
    std::vector<ReportFolder> GivenReportFolders() const override { return reportFolders_; }

  private:
    std::unique_ptr<FileSystem> host_;
    std::unique_ptr<Clock> hostClock_;
    FixedClock clock_;
    OfflineMachine offline_;
    std::vector<ReportFolder> reportFolders_;
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
    // Without a drive, the drive is nothing but what was given.
    if (!root)
        given.mounts.push_back({u"C:", u""});
    return std::make_unique<DriveScanMachine>(std::move(host),
                                              root ? Utf8PathToUtf16(*root) : Text(), options.now,
                                              std::move(given));
}

std::unique_ptr<ScanMachine> ScanMachine::Make(const ScanOptions& options,
                                               MachineProblem& problem) {
    if (options.root || !options.logFiles.empty() || !options.reportFolders.empty())
        return MakeDriveScanMachine(options.root, options, problem);
    return MakeDefaultScanMachine(options.now, problem);
}

}  // namespace veltrano
