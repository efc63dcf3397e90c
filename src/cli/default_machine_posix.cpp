// Without --root on a host without Windows: the bundled sample machine.
#include "cli/scan_machine.h"

namespace veltrano {

std::unique_ptr<ScanMachine> MakeDefaultScanMachine(std::optional<FileTime> now,
                                                    std::string& problem) {
    return MakeDriveScanMachine(VELTRANO_SAMPLE_MACHINE_DIR, now, problem);
}

}  // namespace veltrano
