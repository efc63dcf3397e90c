// A bounds-checked view of one classic event log record (EVENTLOGRECORD) inside a read buffer,
// and the walk over the records of a buffer. No read ever leaves the record's Length.
#pragma once

#include <cstdint>
#include <vector>

#include "base/text.h"

namespace veltrano {

// The fixed part of a record, up to where SourceName starts.
constexpr uint32_t kEventRecordFixedSize = 56;

// Event types of the classic record.
constexpr uint16_t kEventTypeError = 1;

class EventRecordView {
  public:
    // data points at the record; length is its Length, already known to be at least the fixed
    // part and to lie inside the buffer.
    EventRecordView(const uint8_t* data, uint32_t length) : data_(data), length_(length) {}

    uint32_t Length() const { return length_; }
    uint32_t RecordNumber() const { return U32(8); }
    uint32_t TimeGenerated() const { return U32(12); }
    uint32_t EventID() const { return U32(20); }
    uint16_t EventType() const { return U16(24); }
    uint16_t NumStrings() const { return U16(26); }
    uint32_t StringOffset() const { return U32(36); }

    // The zero-terminated source name; cut at the record's end.
    Text SourceName() const { return TextAt(kEventRecordFixedSize); }
    void ReadSourceName(Text& into) const { ReadTextAt(kEventRecordFixedSize, into); }
    // The zero-terminated text at an offset; cut at the record's end, empty when it starts past it.
    Text TextAt(uint32_t offset) const;
    // The same into a text whose room is reused.
    void ReadTextAt(uint32_t offset, Text& into) const;

    struct Strings {
        std::vector<Text> values;
        bool complete = false;  // all NumStrings strings ended inside the record
    };
    // The insertion strings from StringOffset, in order; collection stops at the first one whose
    // terminator does not lie inside the record.
    Strings InsertionStrings() const;

  private:
    uint16_t U16(uint32_t offset) const;
    uint32_t U32(uint32_t offset) const;

    const uint8_t* data_;
    uint32_t length_;
};

// Calls visit(EventRecordView) for each record of the bytes read. The walk ends at a record
// whose Length reaches past the bytes read, and at one whose Length is smaller than the fixed
// part (a zero Length would otherwise never move on).
template <typename Visit>
void WalkEventRecords(const uint8_t* buffer, uint32_t bytesRead, Visit&& visit) {
    uint32_t offset = 0;
    while (offset < bytesRead && bytesRead - offset >= 4) {
        const uint8_t* p = buffer + offset;
        const uint32_t length = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 |
                                static_cast<uint32_t>(p[3]) << 24;
        if (length < kEventRecordFixedSize || length > bytesRead - offset)
            return;
        visit(EventRecordView(p, length));
        offset += length;
    }
}

}  // namespace veltrano
