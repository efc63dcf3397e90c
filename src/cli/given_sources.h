// Logs and report folders given on the command line (--log, --reports), put where the analysed
// drive keeps its own: a log file where the drive's log of its channel lies, a report folder as a
// folder of reports of its own.
#pragma once

#include <string>
#include <vector>

#include "engine/report_archive.h"
#include "platform/files.h"
#include "platform/offline/mounted_file_system.h"

namespace veltrano {

struct GivenSources {
    std::vector<Mount> mounts;
    std::vector<ReportFolder> reportFolders;
    std::string problem;  // one line naming the bad argument; empty when all are good
};

// host: the host's files, where the given paths are.
GivenSources MountGivenSources(FileSystem& host, const std::vector<std::string>& logFiles,
                               const std::vector<std::string>& reportFolders);

}  // namespace veltrano
