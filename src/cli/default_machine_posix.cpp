// Without --root on a host without Windows: the bundled sample machine of the build, where there
// is one (an installed copy has none and asks for a drive).
#include <filesystem>

#include "cli/scan_machine.h"

namespace veltrano {

std::unique_ptr<ScanMachine> MakeDefaultScanMachine(std::optional<FileTime> now,
                                                    MachineProblem& problem) {
    std::error_code error;
    if (!std::filesystem::is_directory(VELTRANO_SAMPLE_MACHINE_DIR, error)) {
        problem.message =
            "no --root given: name the Windows drive or folder to analyse with --root DIR "
            "(or many with --fleet DIR, or exported logs with --log FILE)";
        return nullptr;
    }
    ScanOptions options;
    options.now = now;
    return MakeDriveScanMachine(std::string(VELTRANO_SAMPLE_MACHINE_DIR), options, problem);
}

}  // namespace veltrano
