// Message DLLs that the build makes with the MinGW-w64 tools (cmake/VeltranoMessageDll.cmake).
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "support/samples.h"

namespace veltrano::testing {

// The bytes of a host file; nullopt when it cannot be read.
inline std::optional<std::vector<uint8_t>> ReadHostFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline std::filesystem::path MessageDllPath(const std::string& name) {
    return HostFolder(VELTRANO_MESSAGE_DLL_DIR) / name;
}

// The DLL's bytes; nullopt when the build could not make it.
inline std::optional<std::vector<uint8_t>> MessageDll(const std::string& name) {
    std::ifstream in(MessageDllPath(name), std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace veltrano::testing

// Declares `variable` with the DLL's bytes, or skips the test when the DLL was not built.
#define VELTRANO_MESSAGE_DLL(variable, name)                                             \
    const auto variable##_loaded = ::veltrano::testing::MessageDll(name);                \
    if (!variable##_loaded) {                                                            \
        GTEST_SKIP() << name                                                             \
                     << " was not built (needs x86_64-w64-mingw32-windmc, -windres and " \
                        "-ld from binutils-mingw-w64-x86-64)";                           \
    }                                                                                    \
    const std::vector<uint8_t>& variable = *variable##_loaded
