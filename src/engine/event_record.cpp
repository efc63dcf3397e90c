// Field and text access inside one event log record.
#include "engine/event_record.h"

namespace veltrano {

uint16_t EventRecordView::U16(uint32_t offset) const {
    return static_cast<uint16_t>(data_[offset] | data_[offset + 1] << 8);
}

uint32_t EventRecordView::U32(uint32_t offset) const {
    return static_cast<uint32_t>(data_[offset]) | static_cast<uint32_t>(data_[offset + 1]) << 8 |
           static_cast<uint32_t>(data_[offset + 2]) << 16 |
           static_cast<uint32_t>(data_[offset + 3]) << 24;
}

Text EventRecordView::TextAt(uint32_t offset) const {
    Text text;
    ReadTextAt(offset, text);
    return text;
}

void EventRecordView::ReadTextAt(uint32_t offset, Text& into) const {
    into.clear();
    for (uint64_t pos = offset; pos + 2 <= length_; pos += 2) {
        const char16_t unit = static_cast<char16_t>(U16(static_cast<uint32_t>(pos)));
        if (unit == 0)
            break;
        into.push_back(unit);
    }
}

EventRecordView::Strings EventRecordView::InsertionStrings() const {
    Strings strings;
    uint64_t pos = StringOffset();
    const uint16_t count = NumStrings();
    for (uint16_t i = 0; i < count; ++i) {
        Text value;
        bool ended = false;
        for (; pos + 2 <= length_; pos += 2) {
            const char16_t unit = static_cast<char16_t>(U16(static_cast<uint32_t>(pos)));
            if (unit == 0) {
                ended = true;
                pos += 2;
                break;
            }
            value.push_back(unit);
        }
        if (!ended)
            return strings;
        strings.values.push_back(std::move(value));
    }
    strings.complete = true;
    return strings;
}

}  // namespace veltrano
