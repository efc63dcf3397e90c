// A crash fuzz input: a 4-byte little-endian length, that many bytes of dump, then the bytes of
// the PE image every module of the dump is given.
#pragma once

#include <cstdint>
#include <vector>

namespace veltrano::fuzz {

inline std::vector<uint8_t> CrashInput(const std::vector<uint8_t>& dump,
                                       const std::vector<uint8_t>& image) {
    std::vector<uint8_t> input(4);
    for (int i = 0; i < 4; ++i)
        input[i] = static_cast<uint8_t>(dump.size() >> (8 * i));
    input.insert(input.end(), dump.begin(), dump.end());
    input.insert(input.end(), image.begin(), image.end());
    return input;
}

}  // namespace veltrano::fuzz
