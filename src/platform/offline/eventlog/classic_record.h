// The classic event record (EVENTLOGRECORD) as the event-log service hands it out: a fixed part,
// the source and computer names, the user SID, the insertion strings and the data, 4-byte aligned,
// with its length at both ends. Built from parts and read back with every offset checked.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "base/text.h"
#include "platform/offline/eventlog/byte_cursor.h"

namespace veltrano::eventlog {

// Field offsets of the fixed part.
constexpr size_t kRecordLength = 0;
constexpr size_t kRecordSignature = 4;  // "LfLe"
constexpr size_t kRecordNumber = 8;
constexpr size_t kRecordTimeGenerated = 12;
constexpr size_t kRecordTimeWritten = 16;
constexpr size_t kRecordEventId = 20;
constexpr size_t kRecordEventType = 24;
constexpr size_t kRecordNumStrings = 26;
constexpr size_t kRecordEventCategory = 28;
constexpr size_t kRecordReservedFlags = 30;
constexpr size_t kRecordClosingRecordNumber = 32;
constexpr size_t kRecordStringOffset = 36;
constexpr size_t kRecordUserSidLength = 40;
constexpr size_t kRecordUserSidOffset = 44;
constexpr size_t kRecordDataLength = 48;
constexpr size_t kRecordDataOffset = 52;
constexpr size_t kRecordFixedSize = 56;                 // SourceName starts here
constexpr uint32_t kRecordSignatureValue = 0x654C664C;  // "LfLe"

// EventType values.
constexpr uint16_t kEventTypeError = 1;
constexpr uint16_t kEventTypeWarning = 2;
constexpr uint16_t kEventTypeInformation = 4;

// The numbers of the fixed part.
struct ClassicNumbers {
    uint32_t recordNumber = 0;
    uint32_t timeGenerated = 0;  // seconds since 1970-01-01 UTC
    uint32_t timeWritten = 0;
    uint32_t eventId = 0;  // with the qualifiers in the upper 16 bits
    uint16_t eventType = kEventTypeInformation;
    uint16_t category = 0;
};

// The parts of one record. The views must outlive the call that builds the record.
struct ClassicEvent : ClassicNumbers {
    TextView sourceName;
    TextView computerName;
    // The insertion strings, each followed by a zero character, one after another.
    TextView strings;
    uint16_t numStrings = 0;
    Bytes userSid;
    Bytes data;
};

// Appends the record's bytes to out.
void AppendClassicRecord(std::vector<uint8_t>& out, const ClassicEvent& event);

// Joins texts into the zero-separated form of ClassicEvent::strings.
Text JoinInsertionStrings(const std::vector<Text>& strings);

// A record read back; userSid and data point into the record's bytes.
struct ClassicRecordView : ClassicNumbers {
    Text sourceName;
    Text computerName;
    std::vector<Text> strings;
    Bytes userSid;
    Bytes data;
};

// Reads a record whose Length is record.size(). nullopt when its length, signature or names do
// not hold; a SID or data block that points outside the record is left out, insertion strings
// stop where the record ends.
std::optional<ClassicRecordView> ReadClassicRecord(Bytes record);

}  // namespace veltrano::eventlog
