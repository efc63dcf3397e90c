// Little-endian stores for the writers of Windows file formats: into a buffer the caller has
// already sized (Store), or at its end (Append).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/text.h"

namespace veltrano {

inline void StoreLe16(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

inline void StoreLe32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    StoreLe16(bytes, at, static_cast<uint16_t>(value));
    StoreLe16(bytes, at + 2, static_cast<uint16_t>(value >> 16));
}

inline void StoreLe64(std::vector<uint8_t>& bytes, size_t at, uint64_t value) {
    StoreLe32(bytes, at, static_cast<uint32_t>(value));
    StoreLe32(bytes, at + 4, static_cast<uint32_t>(value >> 32));
}

inline void AppendLe16(std::vector<uint8_t>& bytes, uint16_t value) {
    bytes.resize(bytes.size() + 2);
    StoreLe16(bytes, bytes.size() - 2, value);
}

inline void AppendLe32(std::vector<uint8_t>& bytes, uint32_t value) {
    bytes.resize(bytes.size() + 4);
    StoreLe32(bytes, bytes.size() - 4, value);
}

// The text's UTF-16 code units, low byte first, without a terminator.
inline void AppendUtf16Le(std::vector<uint8_t>& bytes, TextView text) {
    bytes.reserve(bytes.size() + 2 * text.size());
    for (const char16_t c : text)
        AppendLe16(bytes, c);
}

}  // namespace veltrano
