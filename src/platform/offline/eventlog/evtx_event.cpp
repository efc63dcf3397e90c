// Reading the classic fields out of an event record's XML as it streams by: each element gets a
// place (which part of the event it is), each attribute or text a field to feed.
#include "platform/offline/eventlog/evtx_event.h"

#include <algorithm>
#include <limits>

namespace veltrano::eventlog {

enum class EvtxEventReader::Place : uint8_t {
    Root,
    Event,
    System,
    Provider,
    EventId,
    Version,
    Level,
    Task,
    TimeCreated,
    Channel,
    Computer,
    Security,
    EventData,
    Data,
    Binary,
    UserData,
    UserDataTop,   // the element below UserData that holds the event's own XML
    UserDataItem,  // deeper
    Other,
};

enum class EvtxEventReader::Field : uint8_t {
    None,
    ProviderName,
    SourceName,
    ProviderGuid,
    Qualifiers,
    EventId,
    Version,
    Level,
    Task,
    SystemTime,
    UserId,
    Channel,
    Computer,
    String,
    Binary,
};

namespace {

// Binary data written as text: pairs of hex digits.
void AppendHexText(std::vector<uint8_t>& out, const BinXmlValue& value) {
    Text text;
    AppendValueText(text, value);
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        const int hi = HexDigitValue(text[i]);
        const int lo = HexDigitValue(text[i + 1]);
        if (hi < 0 || lo < 0)
            return;
        out.push_back(static_cast<uint8_t>(hi << 4 | lo));
    }
}

void AddString(Text& flat, uint16_t& count, TextView text) {
    if (count == std::numeric_limits<uint16_t>::max())
        return;
    flat += text;
    flat.push_back(u'\0');
    ++count;
}

}  // namespace

std::vector<Text> EvtxEventFields::StringList() const {
    std::vector<Text> list;
    size_t begin = 0;
    for (uint16_t i = 0; i < stringCount; ++i) {
        const size_t end = strings.find(u'\0', begin);
        list.emplace_back(strings.substr(begin, end - begin));
        begin = end + 1;
    }
    return list;
}

uint16_t EventTypeOfLevel(uint8_t level) {
    switch (level) {
        case 1:
        case 2:
            return kEventTypeError;
        case 3:
            return kEventTypeWarning;
        default:
            return kEventTypeInformation;
    }
}

uint32_t ClassicSeconds(FileTime time) {
    const int64_t seconds = FileTimeToUnixSeconds(time);
    if (seconds < 0)
        return 0;
    if (seconds > std::numeric_limits<uint32_t>::max())
        return std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(seconds);
}

ClassicEvent ToClassicEvent(const EvtxEventFields& f) {
    ClassicEvent e;
    e.recordNumber = static_cast<uint32_t>(f.recordId);
    e.timeGenerated = ClassicSeconds(f.created);
    e.timeWritten = ClassicSeconds(f.written);
    e.eventId = uint32_t{f.qualifiers} << 16 | f.eventId;
    e.eventType = EventTypeOfLevel(f.level);
    e.category = f.task;
    e.sourceName = f.ClassicSource();
    e.computerName = f.computer;
    e.strings = f.strings;
    e.numStrings = f.stringCount;
    e.userSid = f.userSid;
    e.data = f.data;
    return e;
}

bool EvtxEventReader::Read(const EvtxRecord& record, EvtxEventFields& fields) {
    fields_ = &fields;
    fields.recordId = record.id;
    fields.written = record.written;
    fields.created = 0;
    fields.eventId = 0;
    fields.qualifiers = 0;
    fields.level = 0;
    fields.task = 0;
    fields.provider.clear();
    fields.sourceName.clear();
    fields.channel.clear();
    fields.providerGuid.clear();
    fields.version = 0;
    fields.computer.clear();
    fields.strings.clear();
    fields.stringCount = 0;
    fields.userSid.clear();
    fields.data.clear();
    depth_ = 0;
    overflow_ = 0;
    field_ = Field::None;
    userDataDepth_ = 0;
    substitutedCount_ = 0;
    leaves_.clear();
    leafCount_ = 0;
    valueBytes_ = 0;
    const bool ok = walker_.Walk(record.chunk, record.BinXmlBegin(), record.BinXmlEnd(), *this);
    if (fields.created == 0)
        fields.created = fields.written;
    return ok && valueBytes_ <= kMaxValueBytes;
}

EvtxEventReader::Place EvtxEventReader::ChildPlace(Place parent, const BinXmlName& name) const {
    switch (parent) {
        case Place::Root:
            return name.Is("Event") ? Place::Event : Place::Other;
        case Place::Event:
            if (name.Is("System"))
                return Place::System;
            if (name.Is("EventData"))
                return Place::EventData;
            if (name.Is("UserData"))
                return Place::UserData;
            return Place::Other;
        case Place::System:
            if (name.Is("Provider"))
                return Place::Provider;
            if (name.Is("EventID"))
                return Place::EventId;
            if (name.Is("Version"))
                return Place::Version;
            if (name.Is("Level"))
                return Place::Level;
            if (name.Is("Task"))
                return Place::Task;
            if (name.Is("TimeCreated"))
                return Place::TimeCreated;
            if (name.Is("Channel"))
                return Place::Channel;
            if (name.Is("Computer"))
                return Place::Computer;
            if (name.Is("Security"))
                return Place::Security;
            return Place::Other;
        case Place::EventData:
            if (name.Is("Data"))
                return Place::Data;
            if (name.Is("Binary"))
                return Place::Binary;
            return Place::Other;
        case Place::UserData:
            return Place::UserDataTop;
        case Place::UserDataTop:
        case Place::UserDataItem:
            return Place::UserDataItem;
        default:
            return Place::Other;
    }
}

void EvtxEventReader::StartElement(const BinXmlName& name) {
    if (depth_ >= kMaxDepth) {
        ++overflow_;
        return;
    }
    const Place parent = depth_ == 0 ? Place::Root : places_[depth_ - 1];
    if (depth_ > 0)
        hasChildren_[depth_ - 1] = true;
    places_[depth_] = ChildPlace(parent, name);
    hasChildren_[depth_] = false;
    leftOut_[depth_] = false;
    ++depth_;
    if (places_[depth_ - 1] == Place::UserData)
        userDataDepth_ = depth_;
    field_ = Field::None;
}

void EvtxEventReader::Attribute(const BinXmlName& name) {
    field_ = Field::None;
    if (depth_ == 0)
        return;
    switch (places_[depth_ - 1]) {
        case Place::Provider:
            if (name.Is("Name")) {
                field_ = Field::ProviderName;
                fields_->provider.clear();
            } else if (name.Is("EventSourceName")) {
                field_ = Field::SourceName;
                fields_->sourceName.clear();
            } else if (name.Is("Guid")) {
                field_ = Field::ProviderGuid;
                fields_->providerGuid.clear();
            }
            break;
        case Place::EventId:
            if (name.Is("Qualifiers"))
                field_ = Field::Qualifiers;
            break;
        case Place::TimeCreated:
            if (name.Is("SystemTime"))
                field_ = Field::SystemTime;
            break;
        case Place::Security:
            if (name.Is("UserID"))
                field_ = Field::UserId;
            break;
        default:
            break;
    }
}

void EvtxEventReader::StartContent() {
    field_ = Field::None;
    if (depth_ == 0)
        return;
    switch (places_[depth_ - 1]) {
        case Place::EventId:
            field_ = Field::EventId;
            break;
        case Place::Version:
            field_ = Field::Version;
            break;
        case Place::Level:
            field_ = Field::Level;
            break;
        case Place::Task:
            field_ = Field::Task;
            break;
        case Place::Channel:
            field_ = Field::Channel;
            fields_->channel.clear();
            break;
        case Place::Computer:
            field_ = Field::Computer;
            fields_->computer.clear();
            break;
        case Place::Data:
        case Place::UserDataItem:
            field_ = Field::String;
            text_.clear();
            break;
        case Place::Binary:
            field_ = Field::Binary;
            break;
        default:
            break;
    }
}

void EvtxEventReader::Value(const BinXmlValue& value) {
    // A template may use one large value many times; a record is refused long before its text
    // could exhaust memory.
    valueBytes_ += value.bytes.size() + 16;
    if (valueBytes_ > kMaxValueBytes)
        return;
    if (userDataDepth_ != 0 && value.index >= 0)
        AddSubstituted(value);
    EvtxEventFields& f = *fields_;
    switch (field_) {
        case Field::None:
            break;
        case Field::ProviderName:
            AppendValueText(f.provider, value);
            break;
        case Field::SourceName:
            AppendValueText(f.sourceName, value);
            break;
        case Field::ProviderGuid:
            AppendValueText(f.providerGuid, value);
            break;
        case Field::Qualifiers:
            f.qualifiers = static_cast<uint16_t>(ValueNumber(value).value_or(0));
            break;
        case Field::EventId:
            f.eventId = static_cast<uint16_t>(ValueNumber(value).value_or(0));
            break;
        case Field::Version:
            f.version = static_cast<uint8_t>(ValueNumber(value).value_or(0));
            break;
        case Field::Level:
            f.level = static_cast<uint8_t>(ValueNumber(value).value_or(0));
            break;
        case Field::Task:
            f.task = static_cast<uint16_t>(ValueNumber(value).value_or(0));
            break;
        case Field::SystemTime:
            f.created = ValueTime(value).value_or(0);
            break;
        case Field::UserId:
            if (value.type == kValueSid)
                f.userSid.assign(value.bytes.begin(), value.bytes.end());
            break;
        case Field::Channel:
            AppendValueText(f.channel, value);
            break;
        case Field::Computer:
            AppendValueText(f.computer, value);
            break;
        case Field::String:
            AddText(value);
            break;
        case Field::Binary:
            if (value.type == kValueBinary) {
                f.data.insert(f.data.end(), value.bytes.begin(), value.bytes.end());
            } else {
                AppendHexText(f.data, value);
            }
            break;
    }
}

// An array in an element's text stands for the element repeated once per item (none for an
// empty array): every item is a string of its own.
void EvtxEventReader::AddText(const BinXmlValue& value) {
    if ((value.type & kValueArray) == 0) {
        AppendValueText(text_, value);
        return;
    }
    size_t items = 0;
    ForEachArrayItem(value, [&](const BinXmlValue& item) {
        if (items++ > 0)
            EndString();
        AppendValueText(text_, item);
    });
    if (items == 0)
        leftOut_[depth_ - 1] = true;
}

void EvtxEventReader::AddSubstituted(const BinXmlValue& value) {
    ForEachArrayItem(value, [&](const BinXmlValue& item) {
        if (substitutedCount_ == substituted_.size())
            substituted_.emplace_back();
        Substituted& s = substituted_[substitutedCount_++];
        s.index = item.index;
        s.text.clear();
        AppendValueText(s.text, item);
    });
}

void EvtxEventReader::MissingOptionalValue() {
    if (field_ == Field::String)
        leftOut_[depth_ - 1] = true;
}

void EvtxEventReader::EndElement() {
    if (overflow_ > 0) {
        --overflow_;
        return;
    }
    if (depth_ == 0)
        return;
    const Place place = places_[depth_ - 1];
    const bool leaf =
        place == Place::Data || (place == Place::UserDataItem && !hasChildren_[depth_ - 1]);
    if (leaf && !leftOut_[depth_ - 1])
        EndString();
    text_.clear();
    if (depth_ == userDataDepth_)
        EndUserData();
    --depth_;
    field_ = Field::None;
}

void EvtxEventReader::EndString() {
    if (places_[depth_ - 1] == Place::UserDataItem) {
        AddString(leaves_, leafCount_, text_);
    } else {
        AddString(fields_->strings, fields_->stringCount, text_);
    }
    text_.clear();
}

void EvtxEventReader::EndUserData() {
    EvtxEventFields& f = *fields_;
    if (substitutedCount_ > 0) {
        const auto end = substituted_.begin() + static_cast<ptrdiff_t>(substitutedCount_);
        std::stable_sort(substituted_.begin(), end, [](const Substituted& a, const Substituted& b) {
            return a.index < b.index;
        });
        for (auto it = substituted_.begin(); it != end; ++it) {
            AddString(f.strings, f.stringCount, it->text);
        }
    } else {
        for (size_t begin = 0, i = 0; i < leafCount_; ++i) {
            const size_t zero = leaves_.find(u'\0', begin);
            AddString(f.strings, f.stringCount, TextView(leaves_).substr(begin, zero - begin));
            begin = zero + 1;
        }
    }
    userDataDepth_ = 0;
    substitutedCount_ = 0;
    leaves_.clear();
    leafCount_ = 0;
}

}  // namespace veltrano::eventlog
