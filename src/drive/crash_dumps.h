// The crash dumps of a scanned drive, read and joined to the errors of its catalogue: each
// user-mode dump to the crash it belongs to (see dump_join.h), the kernel dumps and blue-screen
// records to the stop error they make (see stop_errors.h).
#pragma once

#include <vector>

#include "crash/crash_findings.h"
#include "engine/catalogue.h"
#include "engine/report_archive.h"
#include "platform/machine.h"

namespace veltrano {

// After the scan: reads the dumps beside the reports of reportFolders, in the LocalDumps folders
// and the kernel's, through the machine's files (its registry and environment for the LocalDumps
// folder it names, its message tables for exception names). A dump that cannot be read gives one
// line in problems and nothing else; one joined to no error is read and left out. Caller holds
// no lock: the scan has ended.
crash::CrashFindings ReadCrashDumps(ErrorCatalogue& catalogue, Machine& machine,
                                    const std::vector<ReportFolder>& reportFolders);

}  // namespace veltrano
