// Choosing and assembling the analysed machine.
#include "cli/scan_machine.h"

#include "platform/host.h"
#include "platform/offline/host_clock.h"
#include "platform/offline/machine/offline_machine.h"

namespace veltrano {
namespace {

class DriveScanMachine : public ScanMachine {
  public:
    DriveScanMachine(const std::string& root, std::optional<FileTime> now)
        : host_(MakeHostFileSystem()),
          hostClock_(MakeHostClock()),
          clock_(*hostClock_, now),
          offline_(*host_, Utf8PathToUtf16(root), clock_) {
        machine_ = offline_.machine();
    }
    FileSystem& HostFiles() override { return *host_; }
    const std::vector<eventlog::LogFileFacts>* LogFacts() const override {
        return &offline_.LogFacts();
    }
    manifest::ManifestEventQuery* ManifestQuery() override { return &offline_.manifestQuery(); }

  private:
    std::unique_ptr<FileSystem> host_;
    std::unique_ptr<Clock> hostClock_;
    FixedClock clock_;
    OfflineMachine offline_;
};

}  // namespace

std::unique_ptr<ScanMachine> MakeDriveScanMachine(const std::string& root,
                                                  std::optional<FileTime> now,
                                                  std::string& problem) {
    auto host = MakeHostFileSystem();
    const auto facts = host->Facts(Utf8PathToUtf16(root));
    if (!facts || !facts->IsDirectory() || !host->ListFolder(Utf8PathToUtf16(root))) {
        problem = "cannot read the folder " + root;
        return nullptr;
    }
    return std::make_unique<DriveScanMachine>(root, now);
}

std::unique_ptr<ScanMachine> ScanMachine::Make(const ScanOptions& options, std::string& problem) {
    if (options.root)
        return MakeDriveScanMachine(*options.root, options.now, problem);
    return MakeDefaultScanMachine(options.now, problem);
}

}  // namespace veltrano
