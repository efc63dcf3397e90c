// Without --root on Windows: the live machine (the event-log service, the real registry).
#include "cli/scan_machine.h"
#include "platform/host.h"
#include "platform/offline/host_clock.h"
#include "platform/win32/live_machine.h"

namespace veltrano {
namespace {

class LiveScanMachine : public ScanMachine {
  public:
    explicit LiveScanMachine(std::optional<FileTime> now)
        : host_(MakeHostFileSystem()), clock_(*live_.machine().clock, now) {
        machine_ = live_.machine();
        machine_.clock = &clock_;
    }
    FileSystem& HostFiles() override { return *host_; }

  private:
    LiveMachine live_;
    std::unique_ptr<FileSystem> host_;
    FixedClock clock_;
};

}  // namespace

std::unique_ptr<ScanMachine> MakeDefaultScanMachine(std::optional<FileTime> now, MachineProblem&) {
    return std::make_unique<LiveScanMachine>(now);
}

}  // namespace veltrano
