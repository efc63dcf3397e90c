// The ZIP records the writer produces (PKWARE APPNOTE: local file header, central directory
// file header, end of central directory) with every signature, size and fixed value named, and
// a little-endian byte builder for them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace veltrano::zip {

constexpr uint32_t kLocalHeaderSignature = 0x04034B50;    // "PK\3\4"
constexpr uint32_t kCentralHeaderSignature = 0x02014B50;  // "PK\1\2"
constexpr uint32_t kEndRecordSignature = 0x06054B50;      // "PK\5\6"

constexpr uint32_t kLocalHeaderSize = 30;
constexpr uint32_t kCentralHeaderSize = 46;
constexpr uint32_t kEndRecordSize = 22;

// High byte: the host system (11, NTFS in Info-ZIP's numbering); low byte: version 2.3.
constexpr uint16_t kVersionMadeBy = 0x0B17;
constexpr uint16_t kVersionNeeded = 20;  // 2.0: deflate

constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;

constexpr uint16_t kFlagDataDescriptor = 0x0008;  // set only while the entry is written

// Extended timestamp extra field ("UT"): flags, then the times as 32-bit Unix times.
constexpr uint16_t kExtendedTimestampTag = 0x5455;
constexpr uint8_t kTimestampFlags = 0x07;  // modification, access and creation time present
constexpr uint16_t kLocalExtraDataSize = 13;
constexpr uint16_t kCentralExtraDataSize = 5;                      // the modification time only
constexpr uint16_t kLocalExtraSize = 4 + kLocalExtraDataSize;      // 17
constexpr uint16_t kCentralExtraSize = 4 + kCentralExtraDataSize;  // 9

// External attributes: the Windows attribute bits kept, and the Unix mode in the high word.
constexpr uint32_t kKeptWindowsAttributes = 0x01 | 0x02 | 0x04 | 0x10 | 0x20;
constexpr uint32_t kUnixRegularFile = 0x80000000;  // S_IFREG << 16
constexpr uint32_t kUnixDirectory = 0x40000000;    // S_IFDIR << 16
constexpr uint32_t kUnixOwnerRead = 0x01000000;    // 0400 << 16
constexpr uint32_t kUnixOwnerWrite = 0x00800000;   // 0200 << 16

// The largest value of the 32-bit size and offset fields, and the 16-bit entry count.
constexpr uint64_t kMaxField32 = 0xFFFFFFFF;
constexpr size_t kMaxEntries = 0xFFFF;
// Entry names are kept in 260 bytes with their terminator.
constexpr size_t kMaxNameBytes = 259;

// Appends little-endian fields.
class ByteBuilder {
  public:
    ByteBuilder& U8(uint8_t v) {
        bytes_.push_back(v);
        return *this;
    }
    ByteBuilder& U16(uint16_t v) {
        return U8(static_cast<uint8_t>(v)).U8(static_cast<uint8_t>(v >> 8));
    }
    ByteBuilder& U32(uint32_t v) {
        return U16(static_cast<uint16_t>(v)).U16(static_cast<uint16_t>(v >> 16));
    }
    ByteBuilder& Bytes(const std::string& s) {
        bytes_.insert(bytes_.end(), s.begin(), s.end());
        return *this;
    }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
};

}  // namespace veltrano::zip
