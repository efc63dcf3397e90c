// Templates and values for the .evtx writer.
#include "writers/evtx/evtx_template.h"

namespace veltrano::evtxwriter {
namespace {

template <typename T>
EvtxValue Fixed(uint8_t type, T v) {
    EvtxValue value;
    value.type = type;
    for (size_t i = 0; i < sizeof(T); ++i) {
        value.bytes.push_back(static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * i)));
    }
    return value;
}

void AppendUtf16(std::vector<uint8_t>& out, TextView text) {
    for (char16_t c : text) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
}

}  // namespace

EvtxValue EvtxValue::String(TextView text) {
    EvtxValue value;
    value.type = kTypeString;
    AppendUtf16(value.bytes, text);
    return value;
}

EvtxValue EvtxValue::StringArray(const std::vector<veltrano::Text>& items) {
    EvtxValue value;
    value.type = kTypeString | kTypeArray;
    for (const auto& item : items) {
        AppendUtf16(value.bytes, item);
        value.bytes.insert(value.bytes.end(), 2, 0);  // terminator
    }
    return value;
}

EvtxValue EvtxValue::UInt8(uint8_t v) {
    return Fixed(kTypeUInt8, v);
}
EvtxValue EvtxValue::UInt16(uint16_t v) {
    return Fixed(kTypeUInt16, v);
}
EvtxValue EvtxValue::Int32(int32_t v) {
    return Fixed(kTypeInt32, static_cast<uint32_t>(v));
}
EvtxValue EvtxValue::UInt32(uint32_t v) {
    return Fixed(kTypeUInt32, v);
}
EvtxValue EvtxValue::UInt64(uint64_t v) {
    return Fixed(kTypeUInt64, v);
}
EvtxValue EvtxValue::HexInt32(uint32_t v) {
    return Fixed(kTypeHexInt32, v);
}
EvtxValue EvtxValue::HexInt64(uint64_t v) {
    return Fixed(kTypeHexInt64, v);
}
EvtxValue EvtxValue::Bool(bool v) {
    return Fixed(kTypeBool, uint32_t{v});
}
EvtxValue EvtxValue::FileTimeValue(FileTime v) {
    return Fixed(kTypeFileTime, v);
}

EvtxValue EvtxValue::SystemTime(const CalendarTime& t) {
    EvtxValue value;
    value.type = kTypeSystemTime;
    for (int field : {t.year, t.month, 0, t.day, t.hour, t.minute, t.second, t.milliseconds}) {
        value.bytes.push_back(static_cast<uint8_t>(field));
        value.bytes.push_back(static_cast<uint8_t>(field >> 8));
    }
    return value;
}

EvtxValue EvtxValue::Binary(std::vector<uint8_t> bytes) {
    EvtxValue value;
    value.type = kTypeBinary;
    value.bytes = std::move(bytes);
    return value;
}

EvtxValue EvtxValue::Guid(const uint8_t (&bytes)[16]) {
    EvtxValue value;
    value.type = kTypeGuid;
    value.bytes.assign(bytes, bytes + 16);
    return value;
}

EvtxValue EvtxValue::Sid(TextView text) {
    // S-<revision>-<authority>-<sub authority>...
    std::vector<uint64_t> parts;
    if (!StartsWith(text, u"S-"))
        return Null();
    text.remove_prefix(2);
    while (!text.empty()) {
        uint64_t n = 0;
        size_t i = 0;
        for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
            n = n * 10 + (text[i] - u'0');
        if (i == 0)
            return Null();
        parts.push_back(n);
        text.remove_prefix(i);
        if (!text.empty()) {
            if (text[0] != u'-')
                return Null();
            text.remove_prefix(1);
        }
    }
    if (parts.size() < 2)
        return Null();
    EvtxValue value;
    value.type = kTypeSid;
    value.bytes.push_back(static_cast<uint8_t>(parts[0]));
    value.bytes.push_back(static_cast<uint8_t>(parts.size() - 2));
    for (int i = 5; i >= 0; --i)
        value.bytes.push_back(static_cast<uint8_t>(parts[1] >> (8 * i)));
    for (size_t p = 2; p < parts.size(); ++p) {
        for (int i = 0; i < 4; ++i)
            value.bytes.push_back(static_cast<uint8_t>(parts[p] >> (8 * i)));
    }
    return value;
}

EvtxValue EvtxValue::BinXml(std::shared_ptr<const EvtxTemplate> nested,
                            std::vector<EvtxValue> values) {
    EvtxValue value;
    value.type = kTypeBinXml;
    value.nested = std::move(nested);
    value.nestedValues = std::move(values);
    return value;
}

EvtxTemplate& EvtxTemplate::Open(TextView name) {
    tokens_.push_back({Kind::Open, veltrano::Text(name), 0, 0, false});
    return *this;
}

EvtxTemplate& EvtxTemplate::Attribute(TextView name, TextView literal) {
    tokens_.push_back({Kind::Attribute, veltrano::Text(name), 0, 0, false});
    tokens_.push_back({Kind::Literal, veltrano::Text(literal), 0, 0, false});
    return *this;
}

EvtxTemplate& EvtxTemplate::Attribute(TextView name, uint16_t index, uint8_t type, bool optional) {
    tokens_.push_back({Kind::Attribute, veltrano::Text(name), 0, 0, false});
    tokens_.push_back({Kind::Substitution, {}, index, type, optional});
    return *this;
}

EvtxTemplate& EvtxTemplate::Literal(TextView text) {
    tokens_.push_back({Kind::Literal, veltrano::Text(text), 0, 0, false});
    return *this;
}

EvtxTemplate& EvtxTemplate::Substitute(uint16_t index, uint8_t type, bool optional) {
    tokens_.push_back({Kind::Substitution, {}, index, type, optional});
    return *this;
}

EvtxTemplate& EvtxTemplate::Close() {
    tokens_.push_back({Kind::Close, {}, 0, 0, false});
    return *this;
}

void EvtxTemplate::Guid(uint8_t (&out)[16]) const {
    // Two FNV-1a hashes of the tokens, with different offsets.
    uint64_t a = 0xcbf29ce484222325ull;
    uint64_t b = 0x84222325cbf29ce4ull;
    auto mix = [&](uint64_t v) {
        a = (a ^ v) * 0x100000001b3ull;
        b = (b ^ (v + 0x9E37)) * 0x100000001b3ull;
    };
    for (const Token& t : tokens_) {
        mix(static_cast<uint64_t>(t.kind));
        for (char16_t c : t.text)
            mix(c);
        mix(t.index);
        mix(t.type);
        mix(t.optional);
    }
    for (int i = 0; i < 8; ++i) {
        out[i] = static_cast<uint8_t>(a >> (8 * i));
        out[8 + i] = static_cast<uint8_t>(b >> (8 * i));
    }
}

}  // namespace veltrano::evtxwriter
