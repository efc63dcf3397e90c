// The numbers of the deflate format (RFC 1951) that the match finder and the block coder share,
// and the record of the compressor's internal checks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace veltrano::deflate_core {

constexpr unsigned kMinMatch = 3;
constexpr unsigned kMaxMatch = 258;

constexpr int kMaxBits = 15;          // longest literal/length or distance code
constexpr int kMaxBitLengthBits = 7;  // longest code of the bit-length alphabet
constexpr int kLengthCodes = 29;
constexpr int kLiterals = 256;
constexpr int kEndBlock = 256;
constexpr int kLiteralLengthCodes = kLiterals + 1 + kLengthCodes;  // 286
constexpr int kDistanceCodes = 30;
constexpr int kBitLengthCodes = 19;

// Block types of the three-bit block header (after the final-block bit).
constexpr unsigned kStoredBlock = 0;
constexpr unsigned kFixedBlock = 1;
constexpr unsigned kDynamicBlock = 2;

// A stored block's length field has 16 bits.
constexpr size_t kMaxStoredLength = 0xFFFF;

// Internal consistency checks never fail for valid operation; when one does, its text is kept
// (the last one wins) and compression goes on, so the caller can refuse the result.
class CheckRecord {
  public:
    void Fail(const char* text) { text_ = text; }
    const char* text() const { return text_; }
    bool failed() const { return *text_ != '\0'; }

  private:
    const char* text_ = "";
};

}  // namespace veltrano::deflate_core
