// Rendering and conversion of binary XML values.
#include "platform/offline/eventlog/binxml_value.h"

#include <bit>
#include <charconv>
#include <string>

#include "base/iso_time.h"

namespace veltrano::eventlog {
namespace {

constexpr char kHexUpper[] = "0123456789ABCDEF";

// Windows-1252 in 0x80..0x9F, the only range where it differs from Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendAscii(Text& out, const char* text, size_t n) {
    for (size_t i = 0; i < n; ++i)
        out.push_back(static_cast<char16_t>(text[i]));
}

void AppendUnsigned(Text& out, uint64_t v) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, v).ptr;
    AppendAscii(out, digits, static_cast<size_t>(end - digits));
}

void AppendSigned(Text& out, int64_t v) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, v).ptr;
    AppendAscii(out, digits, static_cast<size_t>(end - digits));
}

void AppendHexNumber(Text& out, uint64_t v) {
    out += u"0x";
    char digits[20];
    const auto end = std::to_chars(digits, digits + sizeof digits, v, 16).ptr;
    AppendAscii(out, digits, static_cast<size_t>(end - digits));
}

void AppendHexByte(Text& out, uint8_t b) {
    out.push_back(static_cast<char16_t>(kHexUpper[b >> 4]));
    out.push_back(static_cast<char16_t>(kHexUpper[b & 0x0F]));
}

template <typename Float>
void AppendFloat(Text& out, Float v) {
    char digits[40];
    const auto end = std::to_chars(digits, digits + sizeof digits, v).ptr;
    AppendAscii(out, digits, static_cast<size_t>(end - digits));
}

void AppendFileTime(Text& out, FileTime ft) {
    out += Ascii(IsoUtcTicks(ft));
}

std::optional<CalendarTime> SystemTimeFields(const uint8_t* p) {
    CalendarTime t;
    t.year = Le16(p);
    t.month = Le16(p + 2);
    t.day = Le16(p + 6);  // the day of the week at p + 4 is not needed
    t.hour = Le16(p + 8);
    t.minute = Le16(p + 10);
    t.second = Le16(p + 12);
    t.milliseconds = Le16(p + 14);
    if (!IsValidCalendarTime(t))
        return std::nullopt;
    return t;
}

void AppendSid(Text& out, Bytes b) {
    if (b.size() < 8 || b.size() < 8 + 4 * size_t{b[1]})
        return;
    uint64_t authority = 0;
    for (int i = 2; i < 8; ++i)
        authority = authority << 8 | b[i];
    out += u"S-";
    AppendUnsigned(out, b[0]);
    out.push_back(u'-');
    if (authority >> 32) {
        AppendHexNumber(out, authority);
    } else {
        AppendUnsigned(out, authority);
    }
    for (size_t i = 0; i < b[1]; ++i) {
        out.push_back(u'-');
        AppendUnsigned(out, Le32(b.data() + 8 + 4 * i));
    }
}

void AppendGuid(Text& out, const uint8_t* p) {
    out.push_back(u'{');
    for (int i = 3; i >= 0; --i)
        AppendHexByte(out, p[i]);
    out.push_back(u'-');
    for (int i = 5; i >= 4; --i)
        AppendHexByte(out, p[i]);
    out.push_back(u'-');
    for (int i = 7; i >= 6; --i)
        AppendHexByte(out, p[i]);
    out.push_back(u'-');
    for (int i = 8; i < 10; ++i)
        AppendHexByte(out, p[i]);
    out.push_back(u'-');
    for (int i = 10; i < 16; ++i)
        AppendHexByte(out, p[i]);
    out.push_back(u'}');
}

// UTF-16 units up to the first zero unit (strings are often stored with their terminator).
void AppendUtf16(Text& out, Bytes b) {
    for (size_t i = 0; i + 1 < b.size(); i += 2) {
        const char16_t c = Le16(b.data() + i);
        if (c == 0)
            break;
        out.push_back(c);
    }
}

void AppendAnsi(Text& out, Bytes b) {
    for (uint8_t c : b) {
        if (c == 0)
            break;
        out.push_back(c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : static_cast<char16_t>(c));
    }
}

// One item of a fixed-size type (the caller checked its size).
void AppendFixed(Text& out, uint8_t type, const uint8_t* p, size_t size) {
    switch (type) {
        case kValueInt8:
            AppendSigned(out, static_cast<int8_t>(p[0]));
            break;
        case kValueUInt8:
            AppendUnsigned(out, p[0]);
            break;
        case kValueInt16:
            AppendSigned(out, static_cast<int16_t>(Le16(p)));
            break;
        case kValueUInt16:
            AppendUnsigned(out, Le16(p));
            break;
        case kValueInt32:
            AppendSigned(out, static_cast<int32_t>(Le32(p)));
            break;
        case kValueUInt32:
            AppendUnsigned(out, Le32(p));
            break;
        case kValueInt64:
            AppendSigned(out, static_cast<int64_t>(Le64(p)));
            break;
        case kValueUInt64:
            AppendUnsigned(out, Le64(p));
            break;
        case kValueReal32:
            AppendFloat(out, std::bit_cast<float>(Le32(p)));
            break;
        case kValueReal64:
            AppendFloat(out, std::bit_cast<double>(Le64(p)));
            break;
        case kValueBool:
            out += Le32(p) != 0 ? u"true" : u"false";
            break;
        case kValueGuid:
            AppendGuid(out, p);
            break;
        case kValueSizeT:
            AppendHexNumber(out, size == 4 ? Le32(p) : Le64(p));
            break;
        case kValueFileTime:
            AppendFileTime(out, Le64(p));
            break;
        case kValueSystemTime:
            if (const auto t = SystemTimeFields(p))
                AppendFileTime(out, *CalendarToFileTime(*t));
            break;
        case kValueHexInt32:
            AppendHexNumber(out, Le32(p));
            break;
        case kValueHexInt64:
            AppendHexNumber(out, Le64(p));
            break;
        default:
            break;
    }
}

size_t ItemSize(uint8_t type, size_t total) {
    if (type == kValueSizeT)
        return total % 8 == 0 ? 8 : 4;
    return FixedValueSize(type);
}

bool ParseDigits(TextView text, uint64_t& value) {
    text = Trim(text);
    int base = 10;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 20)
        return false;
    std::string ascii;
    for (char16_t c : text) {
        if (c > 0x7F)
            return false;
        ascii.push_back(static_cast<char>(c));
    }
    const auto [end, error] =
        std::from_chars(ascii.data(), ascii.data() + ascii.size(), value, base);
    return error == std::errc() && end == ascii.data() + ascii.size();
}

// "YYYY-MM-DDTHH:MM:SS[.fraction]" and whatever follows it (a zone, a "Z").
std::optional<FileTime> ParseIsoTime(TextView s) {
    const auto read = ReadIsoTime(Trim(s), true);
    return read ? std::optional(read->time) : std::nullopt;
}

Text ValueString(const BinXmlValue& v) {
    Text text;
    if (v.type == kValueString)
        AppendUtf16(text, v.bytes);
    if (v.type == kValueAnsiString)
        AppendAnsi(text, v.bytes);
    return text;
}

}  // namespace

size_t FixedValueSize(uint8_t type) {
    switch (type) {
        case kValueInt8:
        case kValueUInt8:
            return 1;
        case kValueInt16:
        case kValueUInt16:
            return 2;
        case kValueInt32:
        case kValueUInt32:
        case kValueReal32:
        case kValueBool:
        case kValueHexInt32:
            return 4;
        case kValueInt64:
        case kValueUInt64:
        case kValueReal64:
        case kValueFileTime:
        case kValueHexInt64:
            return 8;
        case kValueGuid:
        case kValueSystemTime:
            return 16;
        default:
            return 0;
    }
}

void ForEachArrayItem(const BinXmlValue& value,
                      const std::function<void(const BinXmlValue&)>& visit) {
    if ((value.type & kValueArray) == 0) {
        visit(value);
        return;
    }
    const uint8_t type = static_cast<uint8_t>(value.type & ~kValueArray);
    const Bytes b = value.bytes;
    if (type == kValueString) {
        // Zero-terminated strings; the last one may lack its terminator.
        size_t begin = 0;
        while (begin + 1 < b.size()) {
            size_t end = begin;
            while (end + 1 < b.size() && Le16(b.data() + end) != 0)
                end += 2;
            visit(BinXmlValue{type, b.subspan(begin, end - begin), value.index});
            begin = end + 2;
        }
        return;
    }
    const size_t item = ItemSize(type, b.size());
    if (item == 0 || b.size() % item != 0)
        return;
    for (size_t at = 0; at < b.size(); at += item)
        visit(BinXmlValue{type, b.subspan(at, item), value.index});
}

void AppendValueText(Text& out, const BinXmlValue& value) {
    const Bytes b = value.bytes;
    if (value.type & kValueArray) {
        bool first = true;
        ForEachArrayItem(value, [&](const BinXmlValue& item) {
            if (!first)
                out.push_back(u',');
            first = false;
            AppendValueText(out, item);
        });
        return;
    }
    switch (value.type) {
        case kValueString:
            AppendUtf16(out, b);
            return;
        case kValueAnsiString:
            AppendAnsi(out, b);
            return;
        case kValueBinary:
            for (uint8_t c : b)
                AppendHexByte(out, c);
            return;
        case kValueSid:
            AppendSid(out, b);
            return;
        case kValueSizeT:
            if (b.size() == 4 || b.size() == 8)
                AppendFixed(out, value.type, b.data(), b.size());
            return;
        default:
            break;
    }
    const size_t size = FixedValueSize(value.type);
    if (size != 0 && b.size() == size)
        AppendFixed(out, value.type, b.data(), size);
}

std::optional<uint64_t> ValueNumber(const BinXmlValue& value) {
    const Bytes b = value.bytes;
    const uint8_t* p = b.data();
    switch (value.type) {
        case kValueString:
        case kValueAnsiString: {
            uint64_t n = 0;
            if (ParseDigits(ValueString(value), n))
                return n;
            return std::nullopt;
        }
        case kValueSizeT:
            if (b.size() == 4)
                return Le32(p);
            if (b.size() == 8)
                return Le64(p);
            return std::nullopt;
        default:
            break;
    }
    if (b.size() != FixedValueSize(value.type))
        return std::nullopt;
    switch (value.type) {
        case kValueInt8:
            return static_cast<uint64_t>(static_cast<int8_t>(p[0]));
        case kValueUInt8:
            return p[0];
        case kValueInt16:
            return static_cast<uint64_t>(static_cast<int16_t>(Le16(p)));
        case kValueUInt16:
            return Le16(p);
        case kValueInt32:
            return static_cast<uint64_t>(static_cast<int32_t>(Le32(p)));
        case kValueUInt32:
        case kValueHexInt32:
        case kValueBool:
            return Le32(p);
        case kValueInt64:
        case kValueUInt64:
        case kValueHexInt64:
            return Le64(p);
        default:
            return std::nullopt;
    }
}

std::optional<FileTime> ValueTime(const BinXmlValue& value) {
    const Bytes b = value.bytes;
    switch (value.type) {
        case kValueFileTime:
            if (b.size() == 8)
                return Le64(b.data());
            return std::nullopt;
        case kValueSystemTime: {
            if (b.size() != 16)
                return std::nullopt;
            const auto t = SystemTimeFields(b.data());
            if (!t)
                return std::nullopt;
            return CalendarToFileTime(*t);
        }
        case kValueString:
        case kValueAnsiString:
            return ParseIsoTime(ValueString(value));
        default:
            return std::nullopt;
    }
}

}  // namespace veltrano::eventlog
