// A files port over an analysed drive with host files and folders given on the command line put
// in place: a log file where the drive keeps its log, a report folder under a name of its own.
// Paths at or below a mount point (compared without regard to letter case) go to the host; a
// mount point without a host path hides what the drive has there. Everything else goes to the
// drive.
#pragma once

#include <vector>

#include "platform/forwarding_file_system.h"

namespace veltrano {

struct Mount {
    Text at;    // the path as the program sees it ("C:\Windows\System32\winevt\Logs\System.evtx")
    Text host;  // the host file or folder; empty: nothing is there
};

class MountedFileSystem : public ForwardingFileSystem {
  public:
    MountedFileSystem(FileSystem& drive, FileSystem& host, std::vector<Mount> mounts);

    // The host path a program path is mounted from; empty when it is not mounted.
    Text HostPathOf(TextView path) const;

    std::optional<std::vector<FolderEntry>> ListFolder(TextView folder) override;
    std::unique_ptr<ReadableFile> OpenForReading(TextView path) override;
    std::optional<FileFacts> Facts(TextView path) override;

  private:
    // The mount a path lies at or below, and the host path it stands for.
    const Mount* Find(TextView path, Text& hostPath) const;

    FileSystem& host_;
    std::vector<Mount> mounts_;
};

}  // namespace veltrano
