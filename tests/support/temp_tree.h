// A temporary folder tree on the host for tests that need real files; removed at the end.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/text.h"

namespace veltrano::testing {

class TempTree {
  public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::filesystem::path& root() const { return root_; }
    // The root as the files port takes it.
    Text RootText() const;
    // Writes a file below the root (relative path with '/'), creating its folders.
    std::filesystem::path Write(const std::string& relative, const std::vector<uint8_t>& bytes);
    std::filesystem::path Write(const std::string& relative, const std::string& bytes);
    std::filesystem::path MakeFolder(const std::string& relative);
    void SetLastWrite(const std::string& relative, int64_t unixSeconds);

  private:
    std::filesystem::path root_;
};

// UTF-16LE bytes of a text, with a byte-order mark when asked.
std::vector<uint8_t> Utf16Bytes(TextView text, bool byteOrderMark = true);

}  // namespace veltrano::testing
