#include "base/crc32.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace veltrano {
namespace {

// Bit by bit, straight from the polynomial: independent of the slicing tables.
uint32_t BitwiseCrc32(const std::vector<uint8_t>& data) {
    uint32_t crc = 0xFFFFFFFF;
    for (uint8_t byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
    }
    return ~crc;
}

TEST(Crc32, MatchesTheStandardCheckValues) {
    EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32("", 0), 0u);
    EXPECT_EQ(Crc32("The quick brown fox jumps over the lazy dog", 43), 0x414FA339u);
}

TEST(Crc32, EveryLengthAndAlignmentAgreesWithTheBitwiseDefinition) {
    std::mt19937 random(7);
    std::vector<uint8_t> buffer(300);
    for (auto& b : buffer)
        b = static_cast<uint8_t>(random());
    for (size_t offset = 0; offset < 16; ++offset) {
        for (size_t length = 0; length + offset <= 280; length += 1 + length / 8) {
            const std::vector<uint8_t> slice(
                buffer.begin() + static_cast<std::ptrdiff_t>(offset),
                buffer.begin() + static_cast<std::ptrdiff_t>(offset + length));
            ASSERT_EQ(Crc32(slice.data(), slice.size()), BitwiseCrc32(slice))
                << "offset " << offset << " length " << length;
        }
    }
}

TEST(Crc32, LongInputsAgreeWithTheBitwiseDefinition) {
    std::mt19937 random(9);
    std::vector<uint8_t> buffer(70000);
    for (auto& b : buffer)
        b = static_cast<uint8_t>(random());
    for (size_t length : {4095, 4096, 4097, 4111, 4127, 8199, 65536, 69999}) {
        const std::vector<uint8_t> slice(buffer.begin() + 1,
                                         buffer.begin() + 1 + static_cast<std::ptrdiff_t>(length));
        EXPECT_EQ(Crc32(slice.data(), slice.size()), BitwiseCrc32(slice)) << length;
        EXPECT_EQ(
            Crc32(slice.data(), slice.size(), 0x12345678),
            Crc32(slice.data() + 100, slice.size() - 100, Crc32(slice.data(), 100, 0x12345678)))
            << length;
    }
}

TEST(Crc32, ContinuesAcrossPieces) {
    std::vector<uint8_t> data(100000);
    std::mt19937 random(11);
    for (auto& b : data)
        b = static_cast<uint8_t>(random());
    const uint32_t whole = Crc32(data.data(), data.size());
    for (size_t cut : {size_t{0}, size_t{1}, size_t{15}, size_t{16}, size_t{4097}, data.size()}) {
        const uint32_t first = Crc32(data.data(), cut);
        EXPECT_EQ(Crc32(data.data() + cut, data.size() - cut, first), whole) << cut;
    }
}

}  // namespace
}  // namespace veltrano
