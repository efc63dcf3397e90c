// Typed values of the binary XML of event log files, and their text as Windows renders them in an
// event's XML: decimal integers, 0x-hex for the hex types, {GUID}, S-1-... SIDs, ISO times,
// upper-case hex for binary data, comma-separated arrays.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "base/filetime.h"
#include "base/text.h"
#include "platform/offline/eventlog/byte_cursor.h"

namespace veltrano::eventlog {

// Value types (the array of a type is the type with 0x80 set).
enum ValueType : uint8_t {
    kValueNull = 0x00,
    kValueString = 0x01,      // UTF-16
    kValueAnsiString = 0x02,  // 8-bit code page
    kValueInt8 = 0x03,
    kValueUInt8 = 0x04,
    kValueInt16 = 0x05,
    kValueUInt16 = 0x06,
    kValueInt32 = 0x07,
    kValueUInt32 = 0x08,
    kValueInt64 = 0x09,
    kValueUInt64 = 0x0A,
    kValueReal32 = 0x0B,
    kValueReal64 = 0x0C,
    kValueBool = 0x0D,
    kValueBinary = 0x0E,
    kValueGuid = 0x0F,
    kValueSizeT = 0x10,
    kValueFileTime = 0x11,
    kValueSystemTime = 0x12,
    kValueSid = 0x13,
    kValueHexInt32 = 0x14,
    kValueHexInt64 = 0x15,
    kValueEvtHandle = 0x20,
    kValueBinXml = 0x21,
    kValueEvtXml = 0x23,
    kValueArray = 0x80,
};

struct BinXmlValue {
    uint8_t type = kValueNull;
    Bytes bytes;
    int32_t index = -1;  // of the template substitution it fills; -1 for text of the document
};

// The size of one item of a fixed-size type; 0 for types of variable size.
size_t FixedValueSize(uint8_t type);

// Calls visit with each item of an array value (a value of another type is its own only item).
void ForEachArrayItem(const BinXmlValue& value,
                      const std::function<void(const BinXmlValue&)>& visit);

// Appends the value's text. Values whose size does not fit their type add nothing.
void AppendValueText(Text& out, const BinXmlValue& value);

// The value as an unsigned number: integers of every width, the hex types, booleans, and
// decimal or 0x-hex digits of a string. nullopt for other types and for text that is no number.
std::optional<uint64_t> ValueNumber(const BinXmlValue& value);

// The value as a FILETIME: FILETIME and SYSTEMTIME values, and ISO 8601 text
// ("2024-01-31T12:34:56.1234567Z").
std::optional<FileTime> ValueTime(const BinXmlValue& value);

}  // namespace veltrano::eventlog
