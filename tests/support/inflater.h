// An independent raw-deflate decoder (RFC 1951) for the compressor's tests, in the manner of
// zlib's puff: slow and simple. Beside the data it reports what the stream was made of.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace veltrano::testing {

struct Inflated {
    bool ok = false;  // a complete, valid stream ending with a final block
    std::vector<uint8_t> data;
    size_t consumed = 0;  // whole bytes of the stream read
    int storedBlocks = 0;
    int fixedBlocks = 0;
    int dynamicBlocks = 0;
    unsigned maxDistance = 0;  // farthest match distance used
    size_t matches = 0;
    size_t firstReferenced = SIZE_MAX;  // lowest output position a match copied from
};

Inflated Inflate(const std::vector<uint8_t>& stream);

}  // namespace veltrano::testing
