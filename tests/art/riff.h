// A RIFF chunk tree, checked for consistent sizes as it is read (for the animation file).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace veltrano::testing {

struct Chunk {
    std::string id;     // "RIFF", "LIST" or the chunk's own four characters
    std::string form;   // the list or form type of RIFF and LIST chunks
    size_t offset = 0;  // of the chunk's id
    size_t body = 0;    // of the chunk's data (after the form type for lists)
    uint32_t size = 0;  // as the chunk states it (for lists including the form type)
    std::vector<Chunk> children;
};

struct RiffTree {
    std::vector<Chunk> top;
    std::string error;  // empty when every size fits in its parent
};

RiffTree ReadRiff(const std::vector<uint8_t>& data);

// The first direct child with this id (or, for lists, this form type).
const Chunk* Child(const std::vector<Chunk>& chunks, const std::string& idOrForm);

}  // namespace veltrano::testing
