// A host path of the standard library as the UTF-8 text the program's paths are.
#pragma once

#include <filesystem>
#include <string>

namespace veltrano {

inline std::string PathUtf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace veltrano
