// A files port that hands every call to another one; a port that watches or changes some calls
// (progress, a test's failing writes) derives from it and overrides those.
#pragma once

#include "platform/files.h"

namespace veltrano {

class ForwardingFileSystem : public FileSystem {
  public:
    explicit ForwardingFileSystem(FileSystem& target) : target_(target) {}

    std::optional<std::vector<FolderEntry>> ListFolder(TextView folder) override {
        return target_.ListFolder(folder);
    }
    std::unique_ptr<ReadableFile> OpenForReading(TextView path) override {
        return target_.OpenForReading(path);
    }
    std::unique_ptr<WritableFile> CreateForWriting(TextView path) override {
        return target_.CreateForWriting(path);
    }
    std::optional<FileFacts> Facts(TextView path) override { return target_.Facts(path); }
    CreateFolderResult CreateFolder(TextView path) override { return target_.CreateFolder(path); }
    bool Copy(TextView from, TextView to, bool failIfExists) override {
        return target_.Copy(from, to, failIfExists);
    }
    bool Remove(TextView path) override { return target_.Remove(path); }
    Text TempFolder() override { return target_.TempFolder(); }
    Text DesktopFolder() override { return target_.DesktopFolder(); }
    Text ModulePath() override { return target_.ModulePath(); }
    uint32_t LastError() override { return target_.LastError(); }

  private:
    FileSystem& target_;
};

}  // namespace veltrano
