// Writing the seed files of the fuzz targets' corpora; a seed program that cannot write one
// stops, so that a fuzz run never starts from a corpus missing what it was meant to hold.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace veltrano::fuzz {

inline void SaveSeed(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
        std::exit(1);
    }
}

}  // namespace veltrano::fuzz
