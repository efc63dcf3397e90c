// CRC-32 of the IEEE 802.3 polynomial (reflected, 0xEDB88320), as ZIP entries and the event-log
// file formats store it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace veltrano {

// The CRC of data, continued from previous (the CRC of the bytes before; 0 to start).
uint32_t Crc32(const void* data, size_t size, uint32_t previous = 0);

}  // namespace veltrano
