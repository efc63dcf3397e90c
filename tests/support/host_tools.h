// Tools of the Linux host that interoperability tests compare against (native build only).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace veltrano::testing {

inline bool HaveHostTool(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command and returns what it printed on standard output and error.
inline std::string HostToolOutput(const std::string& command) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return output;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    pclose(pipe);
    return output;
}

}  // namespace veltrano::testing
