// Where a drive keeps its crash dumps: beside the reports in the report folders, in the
// LocalDumps folders (each profile's CrashDumps, or the folder the machine's LocalDumps key
// names), and the kernel's dumps of its blue screens (Minidump\*.dmp, MEMORY.DMP).
#pragma once

#include <vector>

#include "base/text.h"
#include "engine/report_archive.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/registry.h"

namespace veltrano {

enum class DumpPlace {
    ReportFolder,  // beside a report file; reportFile names it
    LocalDumps,
    Kernel,
};

struct FoundDump {
    Text path;  // as the drive names it
    DumpPlace place = DumpPlace::ReportFolder;
    Text reportFile;  // the report file of its folder, for a dump beside one
    bool queued = false;
};

// Whether a file name is a dump's: ".dmp", ".mdmp" or ".hdmp" in any case.
bool IsDumpFileName(TextView name);

// The drive's dumps, each once: a folder reached by two paths (the report folders' "All Users")
// is listed once. registry and environment may be null (no LocalDumps key is then read).
std::vector<FoundDump> FindDumps(FileSystem& files, Registry* registry, Environment* environment,
                                 const std::vector<ReportFolder>& reportFolders);

}  // namespace veltrano
