// Classic event log records for tests.
#include "support/event_records.h"

namespace veltrano::testing {
namespace {

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void AppendText(std::vector<uint8_t>& b, const Text& t) {
    for (char16_t c : t) {
        b.push_back(static_cast<uint8_t>(c));
        b.push_back(static_cast<uint8_t>(c >> 8));
    }
    b.push_back(0);
    b.push_back(0);
}

}  // namespace

std::vector<uint8_t> BuildRecord(const RecordSpec& fields) {
    std::vector<uint8_t> b(56, 0);
    AppendText(b, fields.source);
    AppendText(b, fields.computer);
    while (b.size() % 4 != 0)
        b.push_back(0);
    const uint32_t stringOffset = static_cast<uint32_t>(b.size());
    for (const Text& s : fields.strings)
        AppendText(b, s);
    while (b.size() % 4 != 0)
        b.push_back(0);
    const uint32_t dataOffset = static_cast<uint32_t>(b.size());
    b.resize(b.size() + 4);  // the closing Length
    const uint32_t length = static_cast<uint32_t>(b.size());
    Put32(b, 0, fields.lengthField.value_or(length));
    Put32(b, 4, 0x654c664c);  // "LfLe"
    Put32(b, 8, fields.recordNumber);
    Put32(b, 12, static_cast<uint32_t>(fields.timeGenerated));
    Put32(b, 16, static_cast<uint32_t>(fields.timeGenerated));
    Put32(b, 20, fields.eventId);
    Put16(b, 24, fields.eventType);
    Put16(b, 26, fields.numStrings.value_or(static_cast<uint16_t>(fields.strings.size())));
    Put32(b, 36, fields.stringOffset.value_or(stringOffset));
    Put32(b, 44, dataOffset);
    Put32(b, 52, dataOffset);
    Put32(b, length - 4, length);
    return b;
}

}  // namespace veltrano::testing
