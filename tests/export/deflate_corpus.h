// Inputs for the compressor's tests and a way to run the compressor over bytes in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/deflate.h"

namespace veltrano::testing {

using Bytes = std::vector<uint8_t>;

Bytes RandomBytes(size_t size, uint32_t seed);
// Lines of words from a small vocabulary: compressible like prose or logs.
Bytes TextBytes(size_t size, uint32_t seed);
// Long runs of single byte values, of lengths from 1 to 5000.
Bytes RunBytes(size_t size, uint32_t seed);
// Up to limit bytes of a file, empty when it cannot be read.
Bytes FileBytes(const std::string& path, size_t limit = SIZE_MAX);

struct Compressed {
    Bytes stream;
    uint64_t reportedSize = 0;
    uint16_t flags = 0;
    std::string error;
    std::vector<size_t> writeSizes;
    size_t largestRead = 0;
};

// Compresses the input, handing it over in reads of at most chunk bytes.
Compressed Deflate(const Bytes& input, int level = kDeflateLevel, size_t chunk = SIZE_MAX);

}  // namespace veltrano::testing
