// The binary XML of event log files (the token stream of MS-EVEN6 with the template definitions
// and instances of the .evtx chunks), walked as a stream of XML events. Template instances are
// expanded with their substitution values; a value that is itself binary XML is walked in place.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/offline/eventlog/binxml_value.h"
#include "platform/offline/eventlog/byte_cursor.h"

namespace veltrano::eventlog {

// An element or attribute name: UTF-16LE characters inside the chunk.
struct BinXmlName {
    const uint8_t* chars = nullptr;
    uint16_t length = 0;
    bool Is(std::string_view ascii) const;
};

// What the walk reports. Values come between Attribute and the next Attribute or StartContent
// (the attribute's value) or between StartContent and EndElement (the element's text). A
// substitution without a value comes as a value of type kValueNull.
class BinXmlSink {
  public:
    virtual ~BinXmlSink() = default;
    virtual void StartElement(const BinXmlName& name) = 0;
    virtual void Attribute(const BinXmlName& name) = 0;
    virtual void StartContent() = 0;
    virtual void Value(const BinXmlValue& value) = 0;
    // An optional substitution without a value: the element or attribute it stands in is left out
    // of the document.
    virtual void MissingOptionalValue() = 0;
    virtual void EndElement() = 0;
};

// Walks the binary XML in [begin, end) of a chunk (all offsets inside are chunk offsets). False
// when the stream is damaged: a token, size or offset that does not hold, nesting deeper than a
// document can be, or more work than a record can need. The sink may have seen part of the
// document then.
class BinXmlWalker {
  public:
    bool Walk(Bytes chunk, size_t begin, size_t end, BinXmlSink& sink);

  private:
    struct Context;
    bool Fragment(ByteCursor& c, const Context& context);
    bool Element(ByteCursor& c, const Context& context);
    bool Content(ByteCursor& c, const Context& context);
    bool TemplateInstance(ByteCursor& c, const Context& context);
    bool Substitution(ByteCursor& c, const Context& context);
    bool Name(ByteCursor& c, BinXmlName& name);
    bool Spend();

    Bytes chunk_;
    BinXmlSink* sink_ = nullptr;
    uint32_t budget_ = 0;
    // Substitution values of the template instances being expanded, one array per nesting level,
    // kept between records so that a walk allocates nothing once warmed up.
    std::vector<std::vector<BinXmlValue>> values_;
};

}  // namespace veltrano::eventlog
