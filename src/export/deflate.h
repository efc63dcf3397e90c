// The program's deflate compressor: turns one input stream into a raw deflate stream (RFC 1951,
// no zlib or gzip wrapper) for a ZIP entry. It pulls input and pushes output through the
// caller's streams, so it knows nothing of files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace veltrano {

// The level the program compresses with.
constexpr int kDeflateLevel = 8;

// ZIP general-purpose flag bits that tell the compression option.
constexpr uint16_t kZipFlagMaximumCompression = 0x0002;
constexpr uint16_t kZipFlagFastCompression = 0x0004;

// The compressor's input and output.
class DeflateStreams {
  public:
    virtual ~DeflateStreams() = default;
    // Reads at most size bytes; returns the number read, 0 or -1 at the end of the input.
    virtual int64_t Read(uint8_t* destination, size_t size) = 0;
    virtual void Write(const uint8_t* data, size_t size) = 0;
};

namespace deflate_core {
class Compressor;
}

// One compression run: construct, Start, Compress. Its state (about 400 KB) is set up afresh for
// every stream.
class Deflater {
  public:
    explicit Deflater(DeflateStreams& streams);
    ~Deflater();
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    // Takes the tuning for a level from 1 to 8 (others are refused with "bad pack level"), sets
    // the level's option bit in the ZIP flags and reads the first input.
    void Start(int level, uint16_t& zipFlags);
    // Compresses to the end of the input, flushes all output and returns the compressed size in
    // bytes.
    uint64_t Compress();
    // "" when every internal check held; else the text of the last one that failed.
    const char* ErrorText() const;

  private:
    std::unique_ptr<deflate_core::Compressor> compressor_;
};

}  // namespace veltrano
