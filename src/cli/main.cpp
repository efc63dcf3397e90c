// Entry point of veltrano-scan.
#include <string>
#include <vector>

#include "cli/scan_command.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return veltrano::RunScanCommand(arguments);
}
