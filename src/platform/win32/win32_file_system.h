// Files port over the Win32 file API.
#pragma once

#include "platform/files.h"

namespace veltrano {

class Win32FileSystem : public FileSystem {
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

}  // namespace veltrano
