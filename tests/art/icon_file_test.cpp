// The program's icon file: the sizes Windows picks from, each readable by the icon loader
// (classic 32-bit images with an AND mask, the 256-pixel image as PNG).
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "art/art_files.h"

namespace veltrano::testing {
namespace {

constexpr size_t kDirectoryHeader = 6;
constexpr size_t kDirectoryEntry = 16;
const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct Entry {
    int size;
    uint32_t bytes, offset;
};

std::vector<Entry> Directory(const std::vector<uint8_t>& data) {
    std::vector<Entry> entries;
    uint16_t count = U16(data, 4);
    for (size_t i = 0; i < count; ++i) {
        size_t at = kDirectoryHeader + i * kDirectoryEntry;
        int width = data.at(at) ? data.at(at) : 256;
        int height = data.at(at + 1) ? data.at(at + 1) : 256;
        EXPECT_EQ(width, height);
        EXPECT_EQ(U16(data, at + 4), 1) << "planes";
        EXPECT_EQ(U16(data, at + 6), 32) << "bits per pixel";
        entries.push_back(Entry{width, U32(data, at + 8), U32(data, at + 12)});
    }
    return entries;
}

TEST(IconFile, HasEverySizeOnceAndItsImagesInsideTheFile) {
    std::vector<uint8_t> data = ReadArt("veltrano.ico");
    ASSERT_GE(data.size(), kDirectoryHeader);
    EXPECT_EQ(U16(data, 0), 0);
    EXPECT_EQ(U16(data, 2), 1) << "type 1 is an icon";
    std::vector<Entry> entries = Directory(data);
    std::set<int> sizes;
    for (const Entry& e : entries)
        sizes.insert(e.size);
    EXPECT_EQ(sizes, (std::set<int>{16, 24, 32, 48, 64, 256}));
    EXPECT_EQ(entries.size(), sizes.size());

    // Images lie after the directory, inside the file, without overlapping.
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.offset < b.offset; });
    size_t end = kDirectoryHeader + kDirectoryEntry * entries.size();
    for (const Entry& e : entries) {
        EXPECT_GE(e.offset, end) << "image of size " << e.size;
        end = size_t{e.offset} + e.bytes;
    }
    EXPECT_LE(end, data.size());
}

TEST(IconFile, SmallImagesAreAlphaBitmapsWithAMatchingMask) {
    std::vector<uint8_t> data = ReadArt("veltrano.ico");
    for (const Entry& e : Directory(data)) {
        if (e.size == 256)
            continue;
        SCOPED_TRACE("size " + std::to_string(e.size));
        const size_t n = static_cast<size_t>(e.size);
        const size_t maskStride = ((n + 31) / 32) * 4;
        ASSERT_EQ(U32(data, e.offset), 40u);
        EXPECT_EQ(I32(data, e.offset + 4), e.size);
        EXPECT_EQ(I32(data, e.offset + 8), 2 * e.size) << "colour rows plus mask rows";
        EXPECT_EQ(U16(data, e.offset + 14), 32);
        EXPECT_EQ(U32(data, e.offset + 16), 0u) << "uncompressed";
        ASSERT_EQ(e.bytes, 40 + n * n * 4 + maskStride * n);

        const size_t colour = e.offset + 40, mask = colour + n * n * 4;
        int opaque = 0, transparent = 0;
        for (size_t row = 0; row < n; ++row) {  // bottom-up
            for (size_t x = 0; x < n; ++x) {
                uint8_t alpha = data.at(colour + (row * n + x) * 4 + 3);
                bool masked = data.at(mask + row * maskStride + x / 8) & (0x80 >> (x % 8));
                // Where the alpha says "see-through" the AND mask must agree, or Windows
                // versions that draw by the mask show a black box.
                EXPECT_EQ(masked, alpha == 0) << "pixel " << x << " in row " << row;
                opaque += alpha == 255;
                transparent += alpha == 0;
            }
        }
        // A magnifier on a clear background: both kinds of pixel are plentiful.
        EXPECT_GT(opaque, static_cast<int>(n * n / 4));
        EXPECT_GT(transparent, static_cast<int>(n * n / 4));
    }
}

TEST(IconFile, LargestImageIsA256PixelPng) {
    std::vector<uint8_t> data = ReadArt("veltrano.ico");
    std::vector<Entry> entries = Directory(data);
    auto big =
        std::find_if(entries.begin(), entries.end(), [](const Entry& e) { return e.size == 256; });
    ASSERT_NE(big, entries.end());
    ASSERT_GE(big->bytes, 33u);
    EXPECT_TRUE(
        std::equal(std::begin(kPngSignature), std::end(kPngSignature), data.begin() + big->offset));
    EXPECT_EQ(FourCC(data, big->offset + 12), "IHDR");
    auto be32 = [&](size_t at) {
        return uint32_t{data.at(at)} << 24 | uint32_t{data.at(at + 1)} << 16 |
               uint32_t{data.at(at + 2)} << 8 | data.at(at + 3);
    };
    EXPECT_EQ(be32(big->offset + 16), 256u);
    EXPECT_EQ(be32(big->offset + 20), 256u);
    EXPECT_EQ(data.at(big->offset + 24), 8) << "bit depth";
    EXPECT_EQ(data.at(big->offset + 25), 6) << "colour type RGBA";
}

}  // namespace
}  // namespace veltrano::testing
