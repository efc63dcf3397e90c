// UTF-16 text helpers.
#include "base/text.h"

#include <iterator>
#include <limits>

namespace veltrano {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

TextView Trim(TextView text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

Text CopyCapped(TextView text, size_t capacity) {
    if (capacity == 0)
        return {};
    return Text(text.substr(0, capacity - 1));
}

void AppendCapped(Text& field, TextView tail, size_t capacity) {
    if (capacity == 0 || field.size() >= capacity - 1)
        return;
    field.append(tail.substr(0, capacity - 1 - field.size()));
}

std::vector<TextView> SplitLines(TextView text) {
    std::vector<TextView> lines;
    size_t pos = 0;
    auto isBreak = [](char16_t c) { return c == u'\r' || c == u'\n'; };
    while (pos < text.size()) {
        while (pos < text.size() && isBreak(text[pos]))
            ++pos;
        if (pos >= text.size())
            break;
        size_t end = pos;
        while (end < text.size() && !isBreak(text[end]))
            ++end;
        TextView line = Trim(text.substr(pos, end - pos));
        if (line.empty())
            break;
        lines.push_back(line);
        pos = end;
    }
    return lines;
}

bool StartsWith(TextView text, TextView prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

Text WithoutByteOrderMarks(TextView text) {
    Text out;
    out.reserve(text.size());
    for (char16_t u : text) {
        if (u != u'\uFEFF')
            out.push_back(u);
    }
    return out;
}

char16_t FoldCase(char16_t c) {
    auto shift = [c](int by) { return static_cast<char16_t>(c + by); };
    if (c < 0x80)
        return c >= u'a' && c <= u'z' ? shift(-0x20) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return shift(-0x20);
    if (c == 0xFF)
        return 0x178;
    // Latin Extended-A keeps each capital beside its small letter.
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) {
        return static_cast<char16_t>(c & ~1u);
    }
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
        return (c & 1) ? c : shift(-1);
    }
    if (c == 0x131)
        return u'I';
    // Greek and Cyrillic.
    if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2)
        return shift(-0x20);
    if (c == 0x3C2)
        return 0x3A3;
    if (c == 0x3AC)
        return 0x386;
    if (c >= 0x3AD && c <= 0x3AF)
        return shift(-0x25);
    if (c == 0x3CC)
        return 0x38C;
    if (c == 0x3CD || c == 0x3CE)
        return shift(-0x3F);
    if (c >= 0x430 && c <= 0x44F)
        return shift(-0x20);
    if (c >= 0x450 && c <= 0x45F)
        return shift(-0x50);
    return c;
}

bool EndsWithNoCase(TextView text, TextView suffix) {
    return text.size() >= suffix.size() &&
           EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

Text Folded(TextView text) {
    Text folded(text);
    for (char16_t& c : folded)
        c = FoldCase(c);
    return folded;
}

bool EqualsNoCase(TextView a, TextView b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    }
    return true;
}

namespace {

// Bytes that stand for themselves in a path text: U+DC80 + byte, as lone surrogates that no
// well-formed UTF-8 decodes to.
constexpr uint32_t kEscapedByteBase = 0xDC00;
constexpr uint32_t kFirstEscapedByte = 0xDC80;
constexpr uint32_t kLastEscapedByte = 0xDCFF;

struct DecodedSequence {
    uint32_t codePoint = 0;
    size_t length = 1;
    bool valid = false;
};

// The UTF-8 sequence at utf8[i]. A malformed one (bad lead byte, missing continuation, overlong
// form, surrogate, beyond U+10FFFF) is not valid; its length is then what U+FFFD replaces.
DecodedSequence DecodeSequence(std::string_view utf8, size_t i) {
    const size_t n = utf8.size();
    auto byte = [&](size_t k) {
        return static_cast<uint32_t>(static_cast<unsigned char>(utf8[k]));
    };
    auto cont = [&](size_t k) { return k < n && (byte(k) & 0xC0) == 0x80; };
    const uint32_t c = byte(i);
    DecodedSequence d;
    if (c < 0x80) {
        d = {c, 1, true};
    } else if ((c & 0xE0) == 0xC0 && cont(i + 1)) {
        d.codePoint = ((c & 0x1F) << 6) | (byte(i + 1) & 0x3F);
        d.length = 2;
        d.valid = d.codePoint >= 0x80;
    } else if ((c & 0xF0) == 0xE0 && cont(i + 1) && cont(i + 2)) {
        d.codePoint = ((c & 0x0F) << 12) | ((byte(i + 1) & 0x3F) << 6) | (byte(i + 2) & 0x3F);
        d.length = 3;
        d.valid = d.codePoint >= 0x800 && (d.codePoint < 0xD800 || d.codePoint > 0xDFFF);
    } else if ((c & 0xF8) == 0xF0 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
        d.codePoint = ((c & 0x07) << 18) | ((byte(i + 1) & 0x3F) << 12) |
                      ((byte(i + 2) & 0x3F) << 6) | (byte(i + 3) & 0x3F);
        d.length = 4;
        d.valid = d.codePoint >= 0x10000 && d.codePoint <= 0x10FFFF;
    }
    return d;
}

void AppendUtf16(Text& out, uint32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(cp));
    }
}

Text DecodeUtf8(std::string_view utf8, bool escapeBytes) {
    Text out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const DecodedSequence d = DecodeSequence(utf8, i);
        if (d.valid) {
            AppendUtf16(out, d.codePoint);
            i += d.length;
        } else if (escapeBytes) {
            // One byte at a time, so that the bytes after it are read afresh.
            out.push_back(
                static_cast<char16_t>(kEscapedByteBase + static_cast<unsigned char>(utf8[i])));
            ++i;
        } else {
            out.push_back(u'\uFFFD');
            i += d.length;
        }
    }
    return out;
}

std::string EncodeUtf8(TextView text, bool unescapeBytes) {
    std::string out;
    out.reserve(text.size());
    for (const CodePoint cp : CodePoints(text)) {
        if (!cp.lone)
            AppendUtf8(out, cp.value);
        else if (unescapeBytes && cp.value >= kFirstEscapedByte && cp.value <= kLastEscapedByte)
            out.push_back(static_cast<char>(cp.value - kEscapedByteBase));
        else
            AppendUtf8(out, 0xFFFD);
    }
    return out;
}

}  // namespace

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

bool IsSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}

CodePoint CodePointAt(TextView text, size_t offset) {
    const char16_t unit = text[offset];
    if (IsHighSurrogate(unit) && offset + 1 < text.size() && IsLowSurrogate(text[offset + 1])) {
        const char32_t value =
            0x10000 + ((char32_t{unit} - 0xD800) << 10) + (char32_t{text[offset + 1]} - 0xDC00);
        return {value, offset, 2, false};
    }
    return {unit, offset, 1, IsSurrogate(unit)};
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

Text Utf8ToUtf16(std::string_view utf8) {
    return DecodeUtf8(utf8, false);
}

std::string Utf16ToUtf8(TextView text) {
    return EncodeUtf8(text, false);
}

Text Utf8PathToUtf16(std::string_view path) {
    return DecodeUtf8(path, true);
}

std::string Utf16PathToUtf8(TextView path) {
    return EncodeUtf8(path, true);
}

Text Ascii(std::string_view ascii) {
    return Text(ascii.begin(), ascii.end());
}

Text UnsignedText(uint64_t value) {
    char16_t digits[24];
    char16_t* first = std::end(digits);
    do {
        *--first = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    return Text(first, std::end(digits));
}

Text DecimalText(int64_t value) {
    if (value >= 0)
        return UnsignedText(static_cast<uint64_t>(value));
    // Negate in unsigned arithmetic so INT64_MIN works too.
    Text text = UnsignedText(0 - static_cast<uint64_t>(value));
    text.insert(text.begin(), u'-');
    return text;
}

Text FormatStrings(TextView format, const std::vector<Text>& args) {
    Text out;
    out.reserve(format.size() + 32);
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == u'%' && i + 1 < format.size()) {
            if (format[i + 1] == u's') {
                if (next < args.size())
                    out += args[next];
                ++next;
                ++i;
                continue;
            }
            if (format[i + 1] == u'%') {
                out.push_back(u'%');
                ++i;
                continue;
            }
        }
        out.push_back(format[i]);
    }
    return out;
}

uint64_t ParseUnsignedDecimal(TextView text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
    uint64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        const auto digit = static_cast<uint64_t>(text[i] - u'0');
        // Too many digits give the largest value, as the C runtime's conversion does.
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return value;
}

int HexDigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

bool ParseHex(TextView text, uint32_t& value) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    const bool negative = i < text.size() && text[i] == u'-';
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    if (i + 2 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X') &&
        HexDigitValue(text[i + 2]) >= 0) {
        i += 2;
    }
    bool any = false;
    uint32_t v = 0;
    for (; i < text.size() && HexDigitValue(text[i]) >= 0; ++i) {
        v = (v << 4) | static_cast<uint32_t>(HexDigitValue(text[i]));
        any = true;
    }
    if (any)
        value = negative ? 0 - v : v;
    return any;
}

}  // namespace veltrano
