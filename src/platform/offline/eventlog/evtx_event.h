// The fields of one .evtx event record that the classic record carries, read from its binary XML:
// System/Provider (Name, EventSourceName), EventID and its Qualifiers, Level, Task, TimeCreated,
// Channel, Computer, Security/UserID, the EventData/Data values (or the leaf values of UserData)
// and EventData/Binary; and for the manifest of a modern provider its Guid and the event's Version.
#pragma once

#include <cstdint>
#include <vector>

#include "base/filetime.h"
#include "base/text.h"
#include "platform/offline/eventlog/binxml.h"
#include "platform/offline/eventlog/classic_record.h"
#include "platform/offline/eventlog/evtx_file.h"

namespace veltrano::eventlog {

struct EvtxEventFields {
    uint64_t recordId = 0;
    FileTime written = 0;  // from the record header
    FileTime created = 0;  // System/TimeCreated/@SystemTime; the written time when missing
    uint16_t eventId = 0;
    uint16_t qualifiers = 0;
    uint8_t level = 0;
    uint16_t task = 0;
    Text provider;        // Provider/@Name
    Text sourceName;      // Provider/@EventSourceName
    Text providerGuid;    // Provider/@Guid as the record writes it ("{...}"); empty for classic
                          // sources
    uint8_t version = 0;  // System/Version: which definition of the event the provider used
    Text channel;         // the log the record was written to (a collector's records name theirs)
    Text computer;
    // The insertion strings, each followed by a zero character.
    Text strings;
    uint16_t stringCount = 0;
    std::vector<uint8_t> userSid;
    std::vector<uint8_t> data;

    // SourceName of the classic record: the event source name when there is one.
    TextView ClassicSource() const { return sourceName.empty() ? provider : sourceName; }
    // The insertion strings one by one.
    std::vector<Text> StringList() const;
};

// The classic EventType of an event level: 1 and 2 are errors, 3 warnings, the rest information.
uint16_t EventTypeOfLevel(uint8_t level);

// Seconds since 1970 as the classic record holds them: clamped to its unsigned 32 bits.
uint32_t ClassicSeconds(FileTime time);

// The classic record's parts; its views point into fields.
ClassicEvent ToClassicEvent(const EvtxEventFields& fields);

// Reads records one after another, reusing its buffers.
//
// The insertion strings are the EventData/Data values in document order; an array in a Data
// element is the element repeated once per item, and a Data element whose optional value is
// missing is not there at all. In UserData the strings are the values its template substitutes
// (element text or attribute), ordered by substitution index: the numbering of the message's
// %1, %2 ...; a UserData written out without a template gives the texts of its leaf elements
// below its top element, in document order.
class EvtxEventReader : private BinXmlSink {
  public:
    // False when the record's binary XML is damaged or would give more text than any event has.
    bool Read(const EvtxRecord& record, EvtxEventFields& fields);

  private:
    enum class Place : uint8_t;
    enum class Field : uint8_t;
    struct Substituted {
        int32_t index;
        Text text;
    };

    void StartElement(const BinXmlName& name) override;
    void Attribute(const BinXmlName& name) override;
    void StartContent() override;
    void Value(const BinXmlValue& value) override;
    void MissingOptionalValue() override;
    void EndElement() override;
    Place ChildPlace(Place parent, const BinXmlName& name) const;
    void AddText(const BinXmlValue& value);
    void AddSubstituted(const BinXmlValue& value);
    void EndString();
    void EndUserData();

    static constexpr size_t kMaxDepth = 64;
    // Values a record may feed its fields with, counted in bytes; real records stay far below.
    static constexpr size_t kMaxValueBytes = size_t{1} << 22;
    BinXmlWalker walker_;
    EvtxEventFields* fields_ = nullptr;
    Place places_[kMaxDepth];
    bool hasChildren_[kMaxDepth];
    bool leftOut_[kMaxDepth];  // the element is not part of the document
    size_t depth_ = 0;
    size_t overflow_ = 0;  // elements nested deeper than the arrays hold
    Field field_;
    Text text_;  // the string being read
    size_t valueBytes_ = 0;

    size_t userDataDepth_ = 0;  // depth of the UserData element while inside it, else 0
    std::vector<Substituted> substituted_;
    size_t substitutedCount_ = 0;
    Text leaves_;  // leaf texts of UserData, each followed by a zero character
    uint16_t leafCount_ = 0;
};

}  // namespace veltrano::eventlog
