#include "export/deflate.h"

#include <gtest/gtest.h>

#include "deflate_corpus.h"
#include "platform/host.h"
#include "support/inflater.h"

namespace veltrano {
namespace {
using testing::Bytes;
using testing::Deflate;
using testing::Inflate;

constexpr unsigned kMaxDistance = 32506;

// Compresses, checks the stream against the independent decoder and returns what it found.
testing::Inflated RoundTrip(const Bytes& input, int level = kDeflateLevel) {
    const testing::Compressed compressed = Deflate(input, level);
    EXPECT_EQ(compressed.error, "");
    EXPECT_EQ(compressed.reportedSize, compressed.stream.size());
    testing::Inflated inflated = Inflate(compressed.stream);
    EXPECT_TRUE(inflated.ok);
    EXPECT_EQ(inflated.consumed, compressed.stream.size()) << "bytes after the final block";
    EXPECT_TRUE(inflated.data == input) << "decoded data differs";
    EXPECT_LE(inflated.maxDistance, kMaxDistance);
    return inflated;
}

TEST(Deflate, EmptyInputIsOneFixedBlockWithOnlyTheEndCode) {
    const auto compressed = Deflate({});
    EXPECT_EQ(compressed.stream, (Bytes{0x03, 0x00}));
    EXPECT_EQ(compressed.reportedSize, 2u);
    EXPECT_EQ(RoundTrip({}).fixedBlocks, 1);
}

TEST(Deflate, OneByteIsOneLiteralInAFixedBlock) {
    const auto inflated = RoundTrip({'x'});
    EXPECT_EQ(inflated.fixedBlocks, 1);
    EXPECT_EQ(inflated.dynamicBlocks + inflated.storedBlocks, 0);
    EXPECT_EQ(inflated.matches, 0u);
}

TEST(Deflate, RandomDataGoesIntoStoredBlocks) {
    const Bytes input = testing::RandomBytes(1 << 20, 3);
    const auto compressed = Deflate(input);
    const auto inflated = Inflate(compressed.stream);
    ASSERT_TRUE(inflated.ok);
    EXPECT_TRUE(inflated.data == input);
    EXPECT_GT(inflated.storedBlocks, 0);
    // Stored blocks cost five bytes each; a block holds up to 32767 items.
    EXPECT_LT(compressed.stream.size(), input.size() + input.size() / 3000);
}

TEST(Deflate, WindowSizesAndSlidesRoundTrip) {
    for (size_t size : {size_t{2}, size_t{3}, size_t{257}, size_t{32768}, size_t{65535},
                        size_t{65536}, size_t{65537}, size_t{65536 + 32768 + 1}}) {
        SCOPED_TRACE(size);
        const auto inflated = RoundTrip(testing::TextBytes(size, static_cast<uint32_t>(size)));
        if (size > 1000) {
            EXPECT_GT(inflated.dynamicBlocks, 0);
        }
    }
    RoundTrip(testing::RandomBytes(65537, 5));
}

TEST(Deflate, LargeCompressibleInputsRoundTrip) {
    const Bytes text = testing::TextBytes(2'000'000, 9);
    EXPECT_GT(RoundTrip(text).dynamicBlocks, 1);

    const Bytes runs = testing::RunBytes(3'000'000, 4);
    const auto compressed = Deflate(runs);
    EXPECT_LT(compressed.stream.size(), runs.size() / 50);
    RoundTrip(runs);
    RoundTrip(Bytes(1'000'000, 0x00));
}

TEST(Deflate, BinaryFileRoundTrips) {
    // The test program itself: a real executable of this machine.
    const Text self = MakeHostFileSystem()->ModulePath();
    const Bytes binary = testing::FileBytes(Utf16ToUtf8(self), 3'000'000);
    ASSERT_GT(binary.size(), 100'000u) << Utf16ToUtf8(self);
    RoundTrip(binary);
}

TEST(Deflate, CopyAtTheLongestDistanceIsFoundAndNoFarther) {
    const Bytes piece = testing::RandomBytes(600, 21);
    Bytes input = testing::RandomBytes(50, 22);
    input.insert(input.end(), piece.begin(), piece.end());
    const Bytes filler = testing::RandomBytes(kMaxDistance - piece.size(), 23);
    input.insert(input.end(), filler.begin(), filler.end());
    input.insert(input.end(), piece.begin(), piece.end());
    auto inflated = RoundTrip(input);
    EXPECT_EQ(inflated.maxDistance, kMaxDistance);
    EXPECT_LT(Deflate(input).stream.size(), input.size() - 400);

    // One byte farther and the copy is out of reach.
    input.insert(input.begin() + 50 + static_cast<std::ptrdiff_t>(piece.size()), 0x55);
    RoundTrip(input);
    EXPECT_GT(Deflate(input).stream.size(), input.size() - 100);
}

TEST(Deflate, NothingIsCopiedFromTheFirstPosition) {
    // Position 0 stands for an empty chain, so "abc" at the start is never a match source.
    Bytes input;
    for (int i = 0; i < 100; ++i)
        input.insert(input.end(), {'a', 'b', 'c'});
    const auto inflated = RoundTrip(input);
    EXPECT_GT(inflated.matches, 0u);
    EXPECT_GT(inflated.firstReferenced, 0u);
}

TEST(Deflate, OutputDoesNotDependOnHowTheInputArrives) {
    const Bytes input = testing::TextBytes(300'000, 31);
    const Bytes expected = Deflate(input).stream;
    for (size_t chunk : {size_t{1}, size_t{7}, size_t{262}, size_t{16384}}) {
        EXPECT_TRUE(Deflate(input, kDeflateLevel, chunk).stream == expected) << chunk;
    }
}

TEST(Deflate, ReadsAtMostTheWindowAndWritesWholeOutputBuffers) {
    const auto compressed = Deflate(testing::RandomBytes(200'000, 8));
    EXPECT_EQ(compressed.largestRead, 65536u);
    ASSERT_GT(compressed.writeSizes.size(), 2u);
    for (size_t i = 0; i + 1 < compressed.writeSizes.size(); ++i) {
        EXPECT_EQ(compressed.writeSizes[i], 16384u);
    }
}

TEST(Deflate, LevelsSetTheirFlagAndAllDecode) {
    const Bytes input = testing::TextBytes(100'000, 12);
    for (int level = 1; level <= 8; ++level) {
        SCOPED_TRACE(level);
        const auto compressed = Deflate(input, level);
        const uint16_t expected = level <= 2   ? kZipFlagFastCompression
                                  : level == 8 ? kZipFlagMaximumCompression
                                               : 0;
        EXPECT_EQ(compressed.flags, expected);
        RoundTrip(input, level);
    }
}

TEST(Deflate, LevelsOutsideOneToEightAreRefused) {
    for (int level : {0, 9, -1, 100}) {
        const auto compressed = Deflate(testing::TextBytes(1000, 1), level);
        EXPECT_EQ(compressed.error, "bad pack level") << level;
        EXPECT_TRUE(Inflate(compressed.stream).ok) << "still a valid stream";
    }
}

}  // namespace
}  // namespace veltrano
