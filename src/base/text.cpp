// UTF-16 text helpers.
#include "base/text.h"

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

bool EqualsNoCase(TextView a, TextView b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    }
    return true;
}

Text Utf8ToUtf16(std::string_view utf8) {
    Text out;
    out.reserve(utf8.size());
    size_t i = 0;
    const size_t n = utf8.size();
    auto cont = [&](size_t k) {
        return k < n && (static_cast<unsigned char>(utf8[k]) & 0xC0) == 0x80;
    };
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        uint32_t cp = 0xFFFD;
        size_t len = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0 && cont(i + 1)) {
            cp = ((c & 0x1Fu) << 6) | (utf8[i + 1] & 0x3F);
            len = 2;
            if (cp < 0x80)
                cp = 0xFFFD;
        } else if ((c & 0xF0) == 0xE0 && cont(i + 1) && cont(i + 2)) {
            cp = ((c & 0x0Fu) << 12) | ((utf8[i + 1] & 0x3Fu) << 6) | (utf8[i + 2] & 0x3F);
            len = 3;
            if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))
                cp = 0xFFFD;
        } else if ((c & 0xF8) == 0xF0 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
            cp = ((c & 0x07u) << 18) | ((utf8[i + 1] & 0x3Fu) << 12) |
                 ((utf8[i + 2] & 0x3Fu) << 6) | (utf8[i + 3] & 0x3F);
            len = 4;
            if (cp < 0x10000 || cp > 0x10FFFF)
                cp = 0xFFFD;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return out;
}

std::string Utf16ToUtf8(TextView text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
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
    return out;
}

Text Ascii(std::string_view ascii) {
    return Text(ascii.begin(), ascii.end());
}

Text UnsignedText(uint64_t value) {
    char16_t digits[24];
    size_t n = 0;
    do {
        digits[n++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    Text out;
    while (n > 0)
        out.push_back(digits[--n]);
    return out;
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
        value = v;
    return any;
}

}  // namespace veltrano
