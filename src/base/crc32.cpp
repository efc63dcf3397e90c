// CRC-32, slicing by eight: eight tables of 256 entries let the loop consume eight bytes per step
// (Kounavis and Berry, "A Systematic Approach to Building High Performance Software-Based CRC
// Generators", 2005); the tables are built once, at first use.
#include "base/crc32.h"

#include <array>

namespace veltrano {
namespace {

using Tables = std::array<std::array<uint32_t, 256>, 8>;

Tables MakeTables() {
    Tables t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i) {
        for (size_t s = 1; s < 8; ++s)
            t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
    }
    return t;
}

const Tables& CrcTables() {
    static const Tables tables = MakeTables();
    return tables;
}

}  // namespace

uint32_t Crc32(const void* data, size_t size, uint32_t previous) {
    const Tables& t = CrcTables();
    const auto* p = static_cast<const uint8_t*>(data);
    uint32_t c = ~previous;
    while (size >= 8) {
        const uint32_t lo = c ^ (uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                                 uint32_t{p[3]} << 24);
        c = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
            t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
        p += 8;
        size -= 8;
    }
    while (size-- > 0)
        c = t[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
    return ~c;
}

}  // namespace veltrano
