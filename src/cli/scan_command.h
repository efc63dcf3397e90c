// veltrano-scan: scans a Windows drive (or the live machine) and prints the error list.
#pragma once

#include <string>
#include <vector>

namespace veltrano {

// Runs the command with its arguments (without the program name); progress and errors go to
// standard error as they happen.
int RunScanCommand(const std::vector<std::string>& arguments);

}  // namespace veltrano
