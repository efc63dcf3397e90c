// CRC-32 of the IEEE 802.3 polynomial (reflected form 0xEDB88320, initial value and final
// complement 0xFFFFFFFF), as ZIP entries and the lookup query's checksums use it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace veltrano {

// Continues a CRC over more bytes: Crc32(b, nb, Crc32(a, na)) equals the CRC of a then b.
// The CRC of no bytes is 0.
uint32_t Crc32(const void* data, size_t size, uint32_t crc = 0);

}  // namespace veltrano
