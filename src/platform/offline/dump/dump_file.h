// An open dump file read by ranges: every read seeks to its offset and takes only the bytes it
// asks for, so a dump of gigabytes costs what the parts that are looked at cost.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/files.h"

namespace veltrano::dump {

class DumpFile {
  public:
    // size: the file's length, the bound every offset read from the file is checked against.
    DumpFile(std::unique_ptr<ReadableFile> file, uint64_t size);

    uint64_t size() const { return size_; }
    // True when [offset, offset + length) lies inside the file (overflow-safe).
    bool Holds(uint64_t offset, uint64_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }

    // Fills out from offset; false when the range does not lie inside the file or the read fails.
    bool ReadInto(uint64_t offset, std::span<uint8_t> out);
    // The length bytes at offset; nullopt as ReadInto fails. Nothing is allocated for a range
    // the file cannot hold.
    std::optional<std::vector<uint8_t>> Read(uint64_t offset, uint64_t length);

  private:
    std::unique_ptr<ReadableFile> file_;
    uint64_t size_;
};

// An opened file as a dump file; nullopt with the problem ("cannot be opened", "its size cannot
// be had") when there is none.
std::optional<DumpFile> OpenDumpFile(std::unique_ptr<ReadableFile> file, std::string* problem);

}  // namespace veltrano::dump
