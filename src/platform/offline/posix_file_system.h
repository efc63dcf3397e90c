// Files port over the POSIX host (Linux): paths are host paths, backslashes count as slashes.
#pragma once

#include "platform/files.h"

namespace veltrano {

class PosixFileSystem : public FileSystem {
  public:
    std::optional<std::vector<FolderEntry>> ListFolder(TextView folder) override;
    std::unique_ptr<ReadableFile> OpenForReading(TextView path) override;
    std::unique_ptr<WritableFile> CreateForWriting(TextView path) override;
    std::optional<FileFacts> Facts(TextView path) override;
    CreateFolderResult CreateFolder(TextView path) override;
    bool Copy(TextView from, TextView to, bool failIfExists) override;
    bool Remove(TextView path) override;
    Text TempFolder() override;
    Text DesktopFolder() override;
    Text ModulePath() override;
    uint32_t LastError() override;
};

// The host path (UTF-8, slashes) of a path given to the port.
std::string HostPath(TextView path);

}  // namespace veltrano
