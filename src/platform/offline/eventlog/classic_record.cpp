// Building and reading classic event records.
#include "platform/offline/eventlog/classic_record.h"

#include <cstring>

#include "base/byte_store.h"

namespace veltrano::eventlog {
namespace {

void AppendBytes(std::vector<uint8_t>& out, Bytes bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

void PadTo4(std::vector<uint8_t>& out, size_t start) {
    while ((out.size() - start) % 4 != 0)
        out.push_back(0);
}

// A zero-terminated UTF-16 text at offset, ending before limit; nullopt without a terminator.
std::optional<Text> ZeroTerminated(Bytes record, size_t offset, size_t limit, size_t& next) {
    Text text;
    for (size_t p = offset; p + 2 <= limit; p += 2) {
        const char16_t c = Le16(record.data() + p);
        if (c == 0) {
            next = p + 2;
            return text;
        }
        text.push_back(c);
    }
    return std::nullopt;
}

// A block [offset, offset + length) that lies inside [kRecordFixedSize, limit), else empty.
Bytes Block(Bytes record, uint32_t offset, uint32_t length, size_t limit) {
    if (length == 0 || offset < kRecordFixedSize || offset > limit || limit - offset < length) {
        return {};
    }
    return record.subspan(offset, length);
}

}  // namespace

void AppendClassicRecord(std::vector<uint8_t>& out, const ClassicEvent& e) {
    const size_t start = out.size();
    out.resize(start + kRecordFixedSize, 0);
    AppendUtf16Le(out, e.sourceName);
    out.insert(out.end(), 2, 0);
    AppendUtf16Le(out, e.computerName);
    out.insert(out.end(), 2, 0);
    PadTo4(out, start);  // the SID is DWORD-aligned, as the service writes it
    const size_t sidOffset = out.size() - start;
    AppendBytes(out, e.userSid);
    const size_t stringOffset = out.size() - start;
    AppendUtf16Le(out, e.strings);
    const size_t dataOffset = out.size() - start;
    AppendBytes(out, e.data);
    PadTo4(out, start);
    out.resize(out.size() + 4);
    const uint32_t length = static_cast<uint32_t>(out.size() - start);

    StoreLe32(out, start + kRecordLength, length);
    StoreLe32(out, start + kRecordSignature, kRecordSignatureValue);
    StoreLe32(out, start + kRecordNumber, e.recordNumber);
    StoreLe32(out, start + kRecordTimeGenerated, e.timeGenerated);
    StoreLe32(out, start + kRecordTimeWritten, e.timeWritten);
    StoreLe32(out, start + kRecordEventId, e.eventId);
    StoreLe16(out, start + kRecordEventType, e.eventType);
    StoreLe16(out, start + kRecordNumStrings, e.numStrings);
    StoreLe16(out, start + kRecordEventCategory, e.category);
    StoreLe32(out, start + kRecordStringOffset, static_cast<uint32_t>(stringOffset));
    StoreLe32(out, start + kRecordUserSidLength, static_cast<uint32_t>(e.userSid.size()));
    StoreLe32(out, start + kRecordUserSidOffset, static_cast<uint32_t>(sidOffset));
    StoreLe32(out, start + kRecordDataLength, static_cast<uint32_t>(e.data.size()));
    StoreLe32(out, start + kRecordDataOffset, static_cast<uint32_t>(dataOffset));
    StoreLe32(out, out.size() - 4, length);
}

Text JoinInsertionStrings(const std::vector<Text>& strings) {
    Text joined;
    for (const Text& s : strings) {
        joined += s;
        joined.push_back(u'\0');
    }
    return joined;
}

std::optional<ClassicRecordView> ReadClassicRecord(Bytes record) {
    const size_t length = record.size();
    if (length < kRecordFixedSize + 8 || Le32(record.data()) != length ||
        Le32(record.data() + kRecordSignature) != kRecordSignatureValue ||
        Le32(record.data() + length - 4) != length) {
        return std::nullopt;
    }
    const size_t limit = length - 4;
    const uint8_t* p = record.data();
    ClassicRecordView view;
    view.recordNumber = Le32(p + kRecordNumber);
    view.timeGenerated = Le32(p + kRecordTimeGenerated);
    view.timeWritten = Le32(p + kRecordTimeWritten);
    view.eventId = Le32(p + kRecordEventId);
    view.eventType = Le16(p + kRecordEventType);
    view.category = Le16(p + kRecordEventCategory);

    size_t next = 0;
    auto source = ZeroTerminated(record, kRecordFixedSize, limit, next);
    if (!source)
        return std::nullopt;
    auto computer = ZeroTerminated(record, next, limit, next);
    if (!computer)
        return std::nullopt;
    view.sourceName = std::move(*source);
    view.computerName = std::move(*computer);

    view.userSid =
        Block(record, Le32(p + kRecordUserSidOffset), Le32(p + kRecordUserSidLength), limit);
    view.data = Block(record, Le32(p + kRecordDataOffset), Le32(p + kRecordDataLength), limit);

    // The strings end where the data begins.
    const uint32_t stringOffset = Le32(p + kRecordStringOffset);
    const uint16_t declared = Le16(p + kRecordNumStrings);
    size_t stringLimit = limit;
    if (!view.data.empty() && static_cast<size_t>(view.data.data() - p) >= stringOffset) {
        stringLimit = static_cast<size_t>(view.data.data() - p);
    }
    if (stringOffset >= kRecordFixedSize && stringOffset <= stringLimit) {
        size_t at = stringOffset;
        for (uint16_t i = 0; i < declared; ++i) {
            auto s = ZeroTerminated(record, at, stringLimit, at);
            if (!s)
                break;  // the rest of the strings was cut off
            view.strings.push_back(std::move(*s));
        }
    }
    return view;
}

}  // namespace veltrano::eventlog
