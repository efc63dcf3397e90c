// Table-driven CRC-32, sixteen bytes per step ("slicing-by-16"): table k holds the CRC of a byte
// followed by k zero bytes, so sixteen independent lookups replace sixteen dependent ones.
// Longer inputs run as two interleaved lanes, the second half starting from a zero register, so
// that two steps are in flight at once; the CRC register is linear in the data, so the first
// lane's register, carried over the second half's length of zero bytes by a multiplication
// modulo the polynomial, joins the second's with an exclusive or.
#include "base/crc32.h"

#include <array>

namespace veltrano {
namespace {

constexpr uint32_t kPolynomial = 0xEDB88320;
constexpr int kSlices = 16;
constexpr size_t kTwoLaneMinimum = 4096;

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

// One step of sixteen bytes on the register (no complements).
inline uint32_t Step(uint32_t state, const uint8_t* p) {
    return Slice(Load32(p) ^ state, 15) ^ Slice(Load32(p + 4), 11) ^ Slice(Load32(p + 8), 7) ^
           Slice(Load32(p + 12), 3);
}

uint32_t Advance(uint32_t state, const uint8_t* p, size_t size) {
    for (; size >= kSlices; size -= kSlices, p += kSlices)
        state = Step(state, p);
    while (size-- > 0)
        state = (state >> 8) ^ kTables[0][(state ^ *p++) & 0xFF];
    return state;
}

// Product of two polynomials modulo the CRC polynomial, in the reflected bit order (x^0 is the
// top bit).
uint32_t MultiplyModP(uint32_t a, uint32_t b) {
    uint32_t product = 0;
    for (uint32_t m = 1u << 31; m != 0; m >>= 1) {
        if ((a & m) != 0)
            product ^= b;
        b = (b & 1) != 0 ? (b >> 1) ^ kPolynomial : b >> 1;
    }
    return product;
}

// x^(2^k) modulo the polynomial for k = 0 to 63.
std::array<uint32_t, 64> PowersOfTwoPowers() {
    std::array<uint32_t, 64> powers{};
    powers[0] = 1u << 30;  // x^1
    for (size_t k = 1; k < powers.size(); ++k)
        powers[k] = MultiplyModP(powers[k - 1], powers[k - 1]);
    return powers;
}

// x^(8n) modulo the polynomial: what n zero bytes do to a register.
uint32_t ZeroBytes(uint64_t n) {
    static const std::array<uint32_t, 64> kPowers = PowersOfTwoPowers();
    uint32_t result = 1u << 31;  // x^0
    for (size_t k = 3; n != 0; n >>= 1, ++k) {
        if ((n & 1) != 0)
            result = MultiplyModP(kPowers[k % 64], result);
    }
    return result;
}

}  // namespace

uint32_t Crc32(const void* data, size_t size, uint32_t crc) {
    const auto* p = static_cast<const uint8_t*>(data);
    uint32_t first = ~crc;
    if (size < kTwoLaneMinimum)
        return ~Advance(first, p, size);

    const size_t half = size / 2 / kSlices * kSlices;
    const uint8_t* q = p + half;
    uint32_t second = 0;
    for (size_t done = 0; done < half; done += kSlices) {
        first = Step(first, p + done);
        second = Step(second, q + done);
    }
    second = Advance(second, q + half, size - 2 * half);
    return ~(MultiplyModP(ZeroBytes(size - half), first) ^ second);
}

}  // namespace veltrano
