// A blue screen as one error: the "BugCheck" 1001 record the next boot writes, the
// "Kernel-Power" 41 and "EventLog" 6008 records the same boot writes about the unexpected
// shutdown, and the kernel dump the crash left, become the one row of the bug check.
#pragma once

#include <vector>

#include "crash/crash_findings.h"
#include "engine/catalogue.h"
#include "platform/offline/dump/kernel_dump.h"

namespace veltrano {

struct KernelDumpRead {
    Text path;  // as the drive names it
    dump::KernelDumpHeader header;
};

// The bug check "0x0000000a (0x0000000000000000, 0x0000000000000002, …)" of a 1001 record's
// first string; nullopt when it has not that shape.
std::optional<crash::StopError> StopErrorOfBugCheckText(TextView text);

// Folds the catalogue's blue-screen records into the bug check's row and notes what it is in
// findings.stopErrors: the row is the 1001 entry, else a 41 entry whose latest record names a
// bug check, else, where no record names one, the kernel dumps that do (the row "Windows" /
// "BlueScreen", an occurrence for each). The 41 and 6008 occurrences within ten minutes of one of
// the row's go into it (an entry left without any goes); the kernel dump the latest record names (else the one of the
// same bug check, else the newest before it) gives its facts. now: the scan's time.
void FoldStopErrors(ErrorCatalogue& catalogue, const std::vector<KernelDumpRead>& kernelDumps,
                    FileTime now, crash::CrashFindings& findings);

}  // namespace veltrano
