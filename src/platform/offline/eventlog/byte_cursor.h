// Little-endian reads over a byte range that never leave it: a read past the end yields zeros and
// marks the cursor failed, so a parser checks once at the end of a structure instead of before
// every field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace veltrano::eventlog {

using Bytes = std::span<const uint8_t>;

inline uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline uint32_t Le32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
inline uint64_t Le64(const uint8_t* p) {
    return Le32(p) | uint64_t{Le32(p + 4)} << 32;
}

// Bounds-checked reads at an offset of a byte range; 0 when the field does not fit.
inline uint16_t Le16At(Bytes b, size_t offset) {
    return offset <= b.size() && b.size() - offset >= 2 ? Le16(b.data() + offset) : 0;
}
inline uint32_t Le32At(Bytes b, size_t offset) {
    return offset <= b.size() && b.size() - offset >= 4 ? Le32(b.data() + offset) : 0;
}
inline uint64_t Le64At(Bytes b, size_t offset) {
    return offset <= b.size() && b.size() - offset >= 8 ? Le64(b.data() + offset) : 0;
}

// A read position inside [begin, end) of a buffer whose offsets are meaningful to the format
// (the chunk of an event log file: names and templates are addressed by chunk offsets).
class ByteCursor {
  public:
    ByteCursor(Bytes buffer, size_t begin, size_t end)
        : buffer_(buffer),
          pos_(begin),
          end_(end <= buffer.size() ? end : buffer.size()),
          ok_(begin <= end_) {}

    bool ok() const { return ok_; }
    size_t position() const { return pos_; }
    size_t end() const { return end_; }
    size_t remaining() const { return ok_ && pos_ < end_ ? end_ - pos_ : 0; }
    bool AtEnd() const { return remaining() == 0; }
    void Fail() { ok_ = false; }

    uint8_t Peek() const { return remaining() >= 1 ? buffer_[pos_] : 0; }
    uint8_t U8() { return Has(1) ? buffer_[pos_++] : 0; }
    uint16_t U16() { return Has(2) ? Advance(2, Le16(buffer_.data() + pos_)) : 0; }
    uint32_t U32() { return Has(4) ? Advance(4, Le32(buffer_.data() + pos_)) : 0; }
    uint64_t U64() { return Has(8) ? Advance(8, Le64(buffer_.data() + pos_)) : 0; }
    // The next n bytes (empty and failed when fewer are left).
    Bytes Take(size_t n) {
        if (!Has(n))
            return {};
        const Bytes part = buffer_.subspan(pos_, n);
        pos_ += n;
        return part;
    }
    void Skip(size_t n) { Take(n); }

  private:
    bool Has(size_t n) {
        if (remaining() >= n)
            return true;
        ok_ = false;
        return false;
    }
    template <typename T>
    T Advance(size_t n, T value) {
        pos_ += n;
        return value;
    }

    Bytes buffer_;
    size_t pos_;
    size_t end_;
    bool ok_;
};

}  // namespace veltrano::eventlog
