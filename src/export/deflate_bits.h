// The compressor's bit output: codes go into a 16-bit buffer from its least significant bit,
// whole 16-bit units into a 16384-byte output buffer, and full output buffers to the consumer.
#pragma once

#include <cstdint>
#include <cstring>

#include "export/deflate.h"
#include "export/deflate_format.h"

namespace veltrano::deflate_core {

class BitWriter {
  public:
    static constexpr size_t kOutputSize = 16384;

    BitWriter(DeflateStreams& streams, CheckRecord& checks) : streams_(streams), checks_(checks) {}

    void SendBits(unsigned value, int length) {
        if (length < 1 || length > kMaxBits)
            checks_.Fail("invalid length");
        bitsSent_ += static_cast<uint64_t>(length);
        buffer_ |= static_cast<uint16_t>(value << valid_);
        if (valid_ > 16 - length) {
            PutShort(buffer_);
            buffer_ = static_cast<uint16_t>(value >> (16 - valid_));
            valid_ += length - 16;
        } else {
            valid_ += length;
        }
    }

    // Pads with zero bits up to the next byte.
    void Align() {
        if (valid_ > 8) {
            PutShort(buffer_);
        } else if (valid_ > 0) {
            PutByte(static_cast<uint8_t>(buffer_));
        }
        buffer_ = 0;
        valid_ = 0;
        bitsSent_ = (bitsSent_ + 7) & ~uint64_t{7};
    }

    // Bytes at a byte boundary (the stored block's length fields and data).
    void PutAlignedShort(uint16_t value) {
        PutShort(value);
        bitsSent_ += 16;
    }
    void PutAlignedBytes(const uint8_t* data, size_t size) {
        bitsSent_ += static_cast<uint64_t>(size) * 8;
        while (size > 0) {
            const size_t chunk = size < kOutputSize - used_ ? size : kOutputSize - used_;
            std::memcpy(output_ + used_, data, chunk);
            used_ += chunk;
            data += chunk;
            size -= chunk;
            if (used_ == kOutputSize)
                Flush();
        }
    }

    // Hands the buffered bytes to the consumer.
    void Flush() {
        if (used_ > 0)
            streams_.Write(output_, used_);
        used_ = 0;
    }

    uint64_t bitsSent() const { return bitsSent_; }

  private:
    void PutByte(uint8_t byte) {
        output_[used_++] = byte;
        if (used_ == kOutputSize)
            Flush();
    }
    void PutShort(uint16_t value) {
        PutByte(static_cast<uint8_t>(value));
        PutByte(static_cast<uint8_t>(value >> 8));
    }

    DeflateStreams& streams_;
    CheckRecord& checks_;
    uint16_t buffer_ = 0;
    int valid_ = 0;  // bits in buffer_
    uint64_t bitsSent_ = 0;
    size_t used_ = 0;
    uint8_t output_[kOutputSize];
};

}  // namespace veltrano::deflate_core
