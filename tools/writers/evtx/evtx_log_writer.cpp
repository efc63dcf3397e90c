// The classic event template and its values.
#include "writers/evtx/evtx_log_writer.h"

#include <algorithm>
#include <map>

#include "writers/manifest/crim_writer.h"

namespace veltrano::evtxwriter {
namespace {

// Substitution slots of the System part.
enum Slot : uint16_t {
    kProviderName,
    kEventSourceName,
    kQualifiers,
    kEventId,
    kLevel,
    kTask,
    kKeywords,
    kTimeCreated,
    kEventRecordId,
    kChannel,
    kComputer,
    kUserId,
    kProviderGuid,
    kVersion,
    kFirstData,
};

constexpr uint64_t kKeywordsClassic = 0x0080000000000000ull;

}  // namespace

std::shared_ptr<const EvtxTemplate> ClassicEventTemplate(size_t dataCount, bool manifest) {
    auto t = std::make_shared<EvtxTemplate>();
    t->Open(u"Event").Attribute(u"xmlns", u"http://schemas.microsoft.com/win/2004/08/events/event");
    t->Open(u"System");
    t->Open(u"Provider").Attribute(u"Name", kProviderName, kTypeString);
    if (manifest)
        t->Attribute(u"Guid", kProviderGuid, kTypeGuid);
    t->Attribute(u"EventSourceName", kEventSourceName, kTypeString, true).Close();
    t->Open(u"EventID").Attribute(u"Qualifiers", kQualifiers, kTypeUInt16, true);
    t->Substitute(kEventId, kTypeUInt16).Close();
    if (manifest)
        t->Open(u"Version").Substitute(kVersion, kTypeUInt8).Close();
    t->Open(u"Level").Substitute(kLevel, kTypeUInt8).Close();
    t->Open(u"Task").Substitute(kTask, kTypeUInt16).Close();
    t->Open(u"Keywords").Substitute(kKeywords, kTypeHexInt64).Close();
    t->Open(u"TimeCreated").Attribute(u"SystemTime", kTimeCreated, kTypeFileTime).Close();
    t->Open(u"EventRecordID").Substitute(kEventRecordId, kTypeUInt64).Close();
    t->Open(u"Channel").Substitute(kChannel, kTypeString).Close();
    t->Open(u"Computer").Substitute(kComputer, kTypeString).Close();
    t->Open(u"Security").Attribute(u"UserID", kUserId, kTypeSid, true).Close();
    t->Close();  // System
    t->Open(u"EventData");
    for (size_t i = 0; i < dataCount; ++i) {
        t->Open(u"Data").Substitute(static_cast<uint16_t>(kFirstData + i), kTypeString).Close();
    }
    t->Close();  // EventData
    t->Close();  // Event
    return t;
}

std::vector<EvtxValue> ClassicEventValues(const EvtxEvent& e, TextView channel) {
    std::vector<EvtxValue> v(kFirstData);
    v[kProviderName] = EvtxValue::String(e.provider);
    if (e.eventSourceName)
        v[kEventSourceName] = EvtxValue::String(*e.eventSourceName);
    if (e.qualifiers)
        v[kQualifiers] = EvtxValue::UInt16(*e.qualifiers);
    v[kEventId] = EvtxValue::UInt16(e.eventId);
    v[kLevel] = EvtxValue::UInt8(e.level);
    v[kTask] = EvtxValue::UInt16(e.task);
    v[kKeywords] = EvtxValue::HexInt64(kKeywordsClassic);
    v[kTimeCreated] = EvtxValue::FileTimeValue(e.time);
    v[kEventRecordId] = EvtxValue::UInt64(e.recordId);
    v[kChannel] = EvtxValue::String(e.channel ? TextView(*e.channel) : channel);
    v[kComputer] = EvtxValue::String(e.computer);
    if (e.providerGuid) {
        const auto guid = manifestwriter::GuidBytes(*e.providerGuid);
        uint8_t bytes[16];
        std::copy(guid.begin(), guid.end(), bytes);
        v[kProviderGuid] = EvtxValue::Guid(bytes);
        v[kVersion] = EvtxValue::UInt8(e.version);
    }
    for (const Text& d : e.data)
        v.push_back(EvtxValue::String(d));
    return v;
}

std::vector<uint8_t> WriteEvtxLog(const std::vector<EvtxEvent>& events, TextView channel,
                                  const EvtxFileOptions& options) {
    std::map<std::pair<size_t, bool>, std::shared_ptr<const EvtxTemplate>> templates;
    std::vector<EvtxRecordFields> records;
    records.reserve(events.size());
    for (const EvtxEvent& e : events) {
        const bool manifest = e.providerGuid.has_value();
        auto& t = templates[{e.data.size(), manifest}];
        if (!t)
            t = ClassicEventTemplate(e.data.size(), manifest);
        records.push_back({e.recordId, e.time, t, ClassicEventValues(e, channel)});
    }
    return WriteEvtxFile(records, options);
}

}  // namespace veltrano::evtxwriter
