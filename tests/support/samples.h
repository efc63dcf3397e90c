// Where the shared real-world samples are (they may be missing on a fresh clone), and other
// folders of the build host that tests read.
#pragma once

#include <filesystem>
#include <string>

namespace veltrano::testing {

// A folder of the build host as this test process sees it.
inline std::filesystem::path HostFolder(std::string path) {
#if defined(_WIN32)
    // Under Wine the host's root is drive Z:.
    path = "Z:" + path;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
#endif
    return std::filesystem::path(path).lexically_normal();
}

inline std::filesystem::path SamplesDir() {
    return HostFolder(VELTRANO_SAMPLES_DIR);
}

}  // namespace veltrano::testing
