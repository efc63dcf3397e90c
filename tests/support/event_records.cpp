// Classic event log records for tests.
#include "support/event_records.h"

#include "base/byte_store.h"

namespace veltrano::testing {
namespace {

void AppendText(std::vector<uint8_t>& b, const Text& t) {
    AppendUtf16Le(b, t);
    AppendLe16(b, 0);
}

}  // namespace

std::vector<uint8_t> BuildRecord(const RecordFields& fields) {
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
    StoreLe32(b, 0, fields.lengthField.value_or(length));
    StoreLe32(b, 4, 0x654c664c);  // "LfLe"
    StoreLe32(b, 8, fields.recordNumber);
    StoreLe32(b, 12, static_cast<uint32_t>(fields.timeGenerated));
    StoreLe32(b, 16, static_cast<uint32_t>(fields.timeGenerated));
    StoreLe32(b, 20, fields.eventId);
    StoreLe16(b, 24, fields.eventType);
    StoreLe16(b, 26, fields.numStrings.value_or(static_cast<uint16_t>(fields.strings.size())));
    StoreLe32(b, 36, fields.stringOffset.value_or(stringOffset));
    StoreLe32(b, 44, dataOffset);
    StoreLe32(b, 52, dataOffset);
    StoreLe32(b, length - 4, length);
    return b;
}

}  // namespace veltrano::testing
