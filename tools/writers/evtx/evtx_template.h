// The pieces an .evtx record is written from: a template (the XML of an event with numbered
// substitution slots) and the typed values that fill the slots.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/filetime.h"
#include "base/text.h"

namespace veltrano::evtxwriter {

// Value types of the binary XML.
enum : uint8_t {
    kTypeNull = 0x00,
    kTypeString = 0x01,
    kTypeUInt8 = 0x04,
    kTypeUInt16 = 0x06,
    kTypeInt32 = 0x07,
    kTypeUInt32 = 0x08,
    kTypeUInt64 = 0x0A,
    kTypeBool = 0x0D,
    kTypeBinary = 0x0E,
    kTypeGuid = 0x0F,
    kTypeFileTime = 0x11,
    kTypeSystemTime = 0x12,
    kTypeSid = 0x13,
    kTypeHexInt32 = 0x14,
    kTypeHexInt64 = 0x15,
    kTypeBinXml = 0x21,
    kTypeArray = 0x80,
};

class EvtxTemplate;

// A substitution value: a type and its bytes, or (kTypeBinXml) another template with its values.
struct EvtxValue {
    uint8_t type = kTypeNull;
    std::vector<uint8_t> bytes;
    std::shared_ptr<const EvtxTemplate> nested;
    std::vector<EvtxValue> nestedValues;

    static EvtxValue Null() { return {}; }
    static EvtxValue String(TextView text);
    static EvtxValue StringArray(const std::vector<Text>& items);
    static EvtxValue UInt8(uint8_t v);
    static EvtxValue UInt16(uint16_t v);
    static EvtxValue Int32(int32_t v);
    static EvtxValue UInt32(uint32_t v);
    static EvtxValue UInt64(uint64_t v);
    static EvtxValue HexInt32(uint32_t v);
    static EvtxValue HexInt64(uint64_t v);
    static EvtxValue Bool(bool v);
    static EvtxValue FileTimeValue(FileTime v);
    static EvtxValue SystemTime(const CalendarTime& t);
    static EvtxValue Binary(std::vector<uint8_t> bytes);
    static EvtxValue Guid(const uint8_t (&bytes)[16]);
    // "S-1-5-21-..." (decimal authority); Null for text that is no SID.
    static EvtxValue Sid(TextView text);
    static EvtxValue BinXml(std::shared_ptr<const EvtxTemplate> nested,
                            std::vector<EvtxValue> values);
};

// An event's XML with substitution slots, built element by element:
//   t.Open(u"Event").Attribute(u"xmlns", u"...").Open(u"System")...Close().Close();
// An attribute takes its value from the call; Literal and Substitute add element content.
class EvtxTemplate {
  public:
    enum class Kind { Open, Attribute, Literal, Substitution, Close };
    struct Token {
        Kind kind;
        Text text;  // element or attribute name, or the literal text
        uint16_t index = 0;
        uint8_t type = 0;
        bool optional = false;
    };

    EvtxTemplate& Open(TextView name);
    EvtxTemplate& Attribute(TextView name, TextView literal);
    EvtxTemplate& Attribute(TextView name, uint16_t index, uint8_t type, bool optional = false);
    EvtxTemplate& Literal(TextView text);
    EvtxTemplate& Substitute(uint16_t index, uint8_t type, bool optional = false);
    EvtxTemplate& Close();

    const std::vector<Token>& tokens() const { return tokens_; }
    // The template's GUID, derived from its tokens so that equal templates share it.
    void Guid(uint8_t (&out)[16]) const;

  private:
    std::vector<Token> tokens_;
};

}  // namespace veltrano::evtxwriter
