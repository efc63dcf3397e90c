// A Windows drive for tests: a temporary host folder that stands for "C:\", reached through the
// host's real file adapter (Win32 under Wine, POSIX natively).
#pragma once

#include <memory>

#include "platform/host.h"
#include "platform/offline/drive_mapped_file_system.h"
#include "support/temp_tree.h"

namespace veltrano::testing {

class TestDrive {
  public:
    TestDrive() : host_(MakeHostFileSystem()), drive_(*host_, tree_.RootText()) {}
    TempTree& tree() { return tree_; }
    FileSystem& files() { return drive_; }
    DriveMappedFileSystem& drive() { return drive_; }

  private:
    TempTree tree_;
    std::unique_ptr<FileSystem> host_;
    DriveMappedFileSystem drive_;
};

}  // namespace veltrano::testing
