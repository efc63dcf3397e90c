// Where the shared real-world samples are (they may be missing on a fresh clone).
#pragma once

#include <filesystem>
#include <string>

namespace veltrano::testing {

inline std::filesystem::path SamplesDir() {
#if defined(_WIN32)
    // Under Wine the host's root is drive Z:.
    std::string path = std::string("Z:") + VELTRANO_SAMPLES_DIR;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return std::filesystem::path(path).lexically_normal();
#else
    return std::filesystem::path(VELTRANO_SAMPLES_DIR).lexically_normal();
#endif
}

}  // namespace veltrano::testing
