// Without --root on a host without Windows: the bundled sample machine of the build, where there
// is one (an installed copy has none and asks for a drive).
#include <filesystem>

#include "cli/scan_machine.h"

namespace veltrano {

std::unique_ptr<ScanMachine> MakeDefaultScanMachine(std::optional<FileTime> now,
                                                    std::string& problem) {
    std::error_code error;
    if (!std::filesystem::is_directory(VELTRANO_SAMPLE_MACHINE_DIR, error)) {
        problem =
            "no --root given: name the Windows drive or folder to analyse with --root DIR "
            "(or many with --fleet DIR)";
        return nullptr;
    }
    return MakeDriveScanMachine(VELTRANO_SAMPLE_MACHINE_DIR, now, problem);
}

}  // namespace veltrano
