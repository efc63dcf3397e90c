// Test inputs for the compressor.
#include "deflate_corpus.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>

namespace veltrano::testing {
namespace {

class MemoryStreams : public DeflateStreams {
  public:
    MemoryStreams(const Bytes& input, size_t chunk, Compressed& out)
        : input_(input), chunk_(chunk), out_(out) {}
    int64_t Read(uint8_t* destination, size_t size) override {
        out_.largestRead = std::max(out_.largestRead, size);
        const size_t n = std::min({size, chunk_, input_.size() - position_});
        if (n > 0)
            std::memcpy(destination, input_.data() + position_, n);
        position_ += n;
        return static_cast<int64_t>(n);
    }
    void Write(const uint8_t* data, size_t size) override {
        out_.stream.insert(out_.stream.end(), data, data + size);
        out_.writeSizes.push_back(size);
    }

  private:
    const Bytes& input_;
    size_t chunk_;
    size_t position_ = 0;
    Compressed& out_;
};

}  // namespace

Bytes RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (auto& b : bytes)
        b = static_cast<uint8_t>(random());
    return bytes;
}

Bytes TextBytes(size_t size, uint32_t seed) {
    static const char* const kWords[] = {"error",
                                         "service",
                                         "failed",
                                         "the",
                                         "application",
                                         "module",
                                         "restart",
                                         "driver",
                                         "timeout",
                                         "of",
                                         "access",
                                         "denied",
                                         "registry",
                                         "value",
                                         "update",
                                         "with",
                                         "code",
                                         "0x80070005",
                                         "C:\\Windows\\System32",
                                         "and"};
    std::mt19937 random(seed);
    Bytes bytes;
    bytes.reserve(size + 64);
    while (bytes.size() < size) {
        const char* word = kWords[random() % std::size(kWords)];
        bytes.insert(bytes.end(), word, word + std::strlen(word));
        bytes.push_back(random() % 12 == 0 ? '\n' : ' ');
        if (random() % 50 == 0) {
            const std::string number = std::to_string(random() % 100000);
            bytes.insert(bytes.end(), number.begin(), number.end());
        }
    }
    bytes.resize(size);
    return bytes;
}

Bytes RunBytes(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes;
    bytes.reserve(size);
    while (bytes.size() < size) {
        const size_t run = std::min<size_t>(1 + random() % 5000, size - bytes.size());
        bytes.insert(bytes.end(), run, static_cast<uint8_t>(random() % 4));
    }
    return bytes;
}

Bytes FileBytes(const std::string& path, size_t limit) {
    std::ifstream in(path, std::ios::binary);
    Bytes bytes;
    char buffer[65536];
    while (in && bytes.size() < limit) {
        in.read(buffer, sizeof buffer);
        bytes.insert(bytes.end(), buffer, buffer + in.gcount());
    }
    if (bytes.size() > limit)
        bytes.resize(limit);
    return bytes;
}

Compressed Deflate(const Bytes& input, int level, size_t chunk) {
    Compressed out;
    MemoryStreams streams(input, chunk, out);
    Deflater deflater(streams);
    deflater.Start(level, out.flags);
    out.reportedSize = deflater.Compress();
    out.error = deflater.ErrorText();
    return out;
}

}  // namespace veltrano::testing
