// Table-driven CRC-32, sixteen bytes per step ("slicing-by-16"): table k holds the CRC of a byte
// followed by k zero bytes, so sixteen independent lookups replace sixteen dependent ones.
#include "base/crc32.h"

#include <array>

namespace veltrano {
namespace {

constexpr uint32_t kPolynomial = 0xEDB88320;
constexpr int kSlices = 16;

using Tables = std::array<std::array<uint32_t, 256>, kSlices>;

constexpr Tables MakeTables() {
    Tables t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) != 0 ? (c >> 1) ^ kPolynomial : c >> 1;
        t[0][i] = c;
    }
    for (int k = 1; k < kSlices; ++k) {
        for (int i = 0; i < 256; ++i)
            t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    }
    return t;
}

constexpr Tables kTables = MakeTables();

// Little-endian load; compilers turn it into one move.
inline uint32_t Load32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline uint32_t Slice(uint32_t word, int top) {
    const auto& t = kTables;
    return t[top][word & 0xFF] ^ t[top - 1][(word >> 8) & 0xFF] ^ t[top - 2][(word >> 16) & 0xFF] ^
           t[top - 3][word >> 24];
}

}  // namespace

uint32_t Crc32(const void* data, size_t size, uint32_t crc) {
    const auto* p = static_cast<const uint8_t*>(data);
    crc = ~crc;
    while (size >= kSlices) {
        crc = Slice(Load32(p) ^ crc, 15) ^ Slice(Load32(p + 4), 11) ^ Slice(Load32(p + 8), 7) ^
              Slice(Load32(p + 12), 3);
        p += kSlices;
        size -= kSlices;
    }
    while (size-- > 0)
        crc = (crc >> 8) ^ kTables[0][(crc ^ *p++) & 0xFF];
    return ~crc;
}

}  // namespace veltrano
