// A fuzz input as an open file of the files port: reads and seeks within the input's bytes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/files.h"

namespace veltrano::fuzz {

class MemoryFile : public ReadableFile {
  public:
    MemoryFile(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    int64_t Read(void* buffer, size_t size) override {
        const size_t n = std::min(size, size_ - at_);
        if (n > 0)
            std::memcpy(buffer, data_ + at_, n);
        at_ += n;
        return static_cast<int64_t>(n);
    }
    bool Seek(uint64_t offset) override {
        if (offset > size_)
            return false;
        at_ = static_cast<size_t>(offset);
        return true;
    }
    std::optional<FileFacts> Facts() override { return FileFacts{kAttributeArchive, size_}; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// A files port that only reads: what its folders and files hold, its subclasses say.
class ReadOnlyFiles : public FileSystem {
  public:
    std::unique_ptr<WritableFile> CreateForWriting(TextView) override { return nullptr; }
    std::optional<FileFacts> Facts(TextView) override { return std::nullopt; }
    CreateFolderResult CreateFolder(TextView) override { return CreateFolderResult::Failed; }
    bool Copy(TextView, TextView, bool) override { return false; }
    bool Remove(TextView) override { return false; }
    Text TempFolder() override { return {}; }
    Text DesktopFolder() override { return {}; }
    Text ModulePath() override { return {}; }
};

}  // namespace veltrano::fuzz
