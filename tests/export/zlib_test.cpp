// The compressor's streams against zlib's inflater, and the checksums against zlib's crc32.
#include <zlib.h>
#include <gtest/gtest.h>

#include <random>

#include "base/crc32.h"
#include "deflate_corpus.h"
#include "export/lookup_query.h"

namespace veltrano {
namespace {
using testing::Bytes;

bool ZlibInflatesTo(const Bytes& stream, const Bytes& expected) {
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK)
        return false;
    Bytes out(expected.size() + 1);
    z.next_in = const_cast<Bytef*>(stream.data());
    z.avail_in = static_cast<uInt>(stream.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&z, Z_FINISH);
    const bool whole = z.avail_in == 0;
    out.resize(z.total_out);
    inflateEnd(&z);
    return result == Z_STREAM_END && whole && out == expected;
}

void ExpectZlibRoundTrip(const Bytes& input) {
    const auto compressed = testing::Deflate(input);
    EXPECT_EQ(compressed.error, "");
    EXPECT_TRUE(ZlibInflatesTo(compressed.stream, input)) << input.size() << " bytes";
}

TEST(DeflateWithZlib, CorpusInflatesToTheInput) {
    ExpectZlibRoundTrip({});
    ExpectZlibRoundTrip({'v'});
    ExpectZlibRoundTrip(testing::TextBytes(32768, 1));
    ExpectZlibRoundTrip(testing::TextBytes(65537, 2));
    ExpectZlibRoundTrip(testing::RandomBytes(1 << 20, 3));
    ExpectZlibRoundTrip(testing::TextBytes(10'000'000, 4));
    ExpectZlibRoundTrip(testing::RunBytes(4'000'000, 5));
    ExpectZlibRoundTrip(Bytes(300'000, 0xFF));
}

TEST(DeflateWithZlib, BinariesOfTheMachineInflate) {
    int tried = 0;
    for (const char* path :
         {"/usr/bin/cmake", "/bin/bash", "/usr/lib/x86_64-linux-gnu/libc.so.6"}) {
        const Bytes binary = testing::FileBytes(path, 6'000'000);
        if (binary.empty())
            continue;
        SCOPED_TRACE(path);
        ExpectZlibRoundTrip(binary);
        ++tried;
    }
    if (tried == 0)
        GTEST_SKIP() << "no binaries found in /usr/bin, /bin or /usr/lib";
}

TEST(Crc32WithZlib, AgreesOnRandomBuffers) {
    std::mt19937 random(5);
    for (int round = 0; round < 200; ++round) {
        const Bytes data = testing::RandomBytes(random() % 5000, random());
        const uLong expected = crc32(0, data.data(), static_cast<uInt>(data.size()));
        ASSERT_EQ(Crc32(data.data(), data.size()), expected);
    }
}

TEST(Crc32WithZlib, TextChecksumIsThatOfTheUtf8Form) {
    std::mt19937 random(6);
    for (int round = 0; round < 200; ++round) {
        Text text;
        const size_t length = random() % 300;
        for (size_t i = 0; i < length; ++i) {
            // ASCII, Latin, CJK and the odd surrogate pair.
            switch (random() % 4) {
                case 0:
                    text.push_back(static_cast<char16_t>(32 + random() % 95));
                    break;
                case 1:
                    text.push_back(static_cast<char16_t>(0xA0 + random() % 0x160));
                    break;
                case 2:
                    text.push_back(static_cast<char16_t>(0x4E00 + random() % 0x5000));
                    break;
                default:
                    text += u"\U0001F600";
            }
        }
        const std::string utf8 = Utf16ToUtf8(text);
        const uLong expected =
            crc32(0, reinterpret_cast<const Bytef*>(utf8.data()), static_cast<uInt>(utf8.size()));
        ASSERT_EQ(TextCrc32(text), expected);
    }
}

}  // namespace
}  // namespace veltrano
