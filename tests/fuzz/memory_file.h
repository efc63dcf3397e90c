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

}  // namespace veltrano::fuzz
