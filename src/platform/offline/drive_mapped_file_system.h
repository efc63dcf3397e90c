// Files port for an analysed Windows drive: "C:\" of every path maps to a folder of the host
// (a mounted or copied system drive), and each path component is looked up without regard to
// letter case, as Windows does. Other paths go to the host unchanged.
#pragma once

#include "platform/files.h"

namespace veltrano {

class DriveMappedFileSystem : public FileSystem {
  public:
    // host: the host's own file system; root: the host folder that stands for "C:\".
    DriveMappedFileSystem(FileSystem& host, Text root);

    // The host path that a program path stands for (unchanged when it is not on drive C:).
    Text Map(TextView path);

    std::optional<std::vector<FolderEntry>> ListFolder(TextView folder) override;
    std::unique_ptr<ReadableFile> OpenForReading(TextView path) override;
    std::unique_ptr<WritableFile> CreateForWriting(TextView path) override;
    std::optional<FileFacts> Facts(TextView path) override;
    CreateFolderResult CreateFolder(TextView path) override;
    bool Copy(TextView from, TextView to, bool failIfExists) override;
    bool Remove(TextView path) override;
    Text TempFolder() override { return host_.TempFolder(); }
    Text DesktopFolder() override { return host_.DesktopFolder(); }
    Text ModulePath() override { return host_.ModulePath(); }
    uint32_t LastError() override { return host_.LastError(); }

  private:
    FileSystem& host_;
    Text root_;
};

}  // namespace veltrano
