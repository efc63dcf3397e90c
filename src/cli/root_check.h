// What a --root turned out to be when it is not a drive: a file, a folder inside a drive, or a
// folder of exported logs, with the folder or option to use instead.
#pragma once

#include <string>

#include "platform/files.h"

namespace veltrano {

struct RootProblem {
    int exitCode = 0;  // 0: the root is fine; 1: cannot be read; 2: wrong input
    std::string message;
};

RootProblem CheckRoot(FileSystem& host, const std::string& root);

}  // namespace veltrano
