#include "base/crc32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace veltrano {
namespace {

// Bit by bit, straight from the polynomial: the reference the table-driven code must match.
uint32_t BitwiseCrc(const std::vector<uint8_t>& data) {
    uint32_t c = 0xFFFFFFFFu;
    for (uint8_t b : data) {
        c ^= b;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return ~c;
}

TEST(Crc32Test, MatchesTheCheckValueOfTheIeeePolynomial) {
    const std::string check = "123456789";
    EXPECT_EQ(Crc32(check.data(), check.size()), 0xCBF43926u);
    EXPECT_EQ(Crc32(nullptr, 0), 0u);
}

TEST(Crc32Test, AgreesWithTheBitwiseDefinitionForEveryLengthAndSplit) {
    std::vector<uint8_t> data(300);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 131 + 7);
    for (size_t n = 0; n <= data.size(); n += 7) {
        const std::vector<uint8_t> part(data.begin(), data.begin() + n);
        ASSERT_EQ(Crc32(part.data(), n), BitwiseCrc(part)) << n;
        const size_t half = n / 3;
        ASSERT_EQ(Crc32(part.data() + half, n - half, Crc32(part.data(), half)), BitwiseCrc(part));
    }
}

}  // namespace
}  // namespace veltrano
