// A read-only window on bytes with little-endian reads that never leave it: the readers of
// Windows file formats (hives, PE images) take every offset from the file itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "base/text.h"

namespace veltrano {

class ByteView {
  public:
    ByteView() = default;
    ByteView(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}

    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    // True when [offset, offset + length) lies inside the view (overflow-safe).
    bool Has(uint64_t offset, uint64_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }

    // Reads outside the view give 0; callers check Has() where a zero could be mistaken for data.
    uint8_t U8(uint64_t offset) const { return Has(offset, 1) ? data_[offset] : 0; }
    uint16_t U16(uint64_t offset) const {
        if (!Has(offset, 2))
            return 0;
        return static_cast<uint16_t>(data_[offset] | (data_[offset + 1] << 8));
    }
    uint32_t U32(uint64_t offset) const {
        if (!Has(offset, 4))
            return 0;
        return static_cast<uint32_t>(data_[offset]) |
               (static_cast<uint32_t>(data_[offset + 1]) << 8) |
               (static_cast<uint32_t>(data_[offset + 2]) << 16) |
               (static_cast<uint32_t>(data_[offset + 3]) << 24);
    }
    uint64_t U64(uint64_t offset) const {
        if (!Has(offset, 8))
            return 0;
        return static_cast<uint64_t>(U32(offset)) | (static_cast<uint64_t>(U32(offset + 4)) << 32);
    }

    // The part [offset, offset + length); nullopt when it does not lie inside the view.
    std::optional<ByteView> Sub(uint64_t offset, uint64_t length) const {
        if (!Has(offset, length))
            return std::nullopt;
        return ByteView(data_ + offset, static_cast<size_t>(length));
    }
    // The part from offset to the end (empty when offset is past the end).
    ByteView From(uint64_t offset) const {
        if (offset >= size_)
            return {};
        return ByteView(data_ + offset, size_ - static_cast<size_t>(offset));
    }

    // True when the bytes at offset spell the ASCII signature.
    bool Matches(uint64_t offset, std::string_view signature) const {
        if (!Has(offset, signature.size()))
            return false;
        for (size_t i = 0; i < signature.size(); ++i) {
            if (data_[offset + i] != static_cast<uint8_t>(signature[i]))
                return false;
        }
        return true;
    }

  private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

// UTF-16LE text of the view's bytes up to the first zero character (an odd last byte is dropped).
Text Utf16LeText(ByteView bytes);
// Text of 8-bit characters taken as Latin-1 (the registry's compressed names), up to the first
// zero.
Text Latin1Text(ByteView bytes);

}  // namespace veltrano
