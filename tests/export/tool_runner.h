// Runs a program of the build host for the peer tests and gives back its exit code and output.
#pragma once

#include <cstdio>
#include <string>

namespace veltrano::testing {

struct ToolRun {
    int exitCode = -1;
    std::string output;  // standard output and standard error
};

inline bool HaveTool(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

inline ToolRun RunTool(const std::string& command) {
    ToolRun run;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, n);
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace veltrano::testing
