// The encoder in one pass. Described as passes (first "%", then each reserved and unsafe
// character, then the controls, then everything from U+0080 on), it gives the same result:
// every pass replaces only its own character, and the escapes it inserts consist of "%" and
// characters that stay unchanged, which no later pass touches.
#include "export/url_encode.h"

#include <string>

namespace veltrano {
namespace {

bool IsKept(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
}

void AppendEscape(Text& out, unsigned byte) {
    constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    out.push_back(u'%');
    out.push_back(kDigits[(byte >> 4) & 0xF]);
    out.push_back(kDigits[byte & 0xF]);
}

}  // namespace

Text UrlEncode(TextView text) {
    Text out;
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsKept(c)) {
            out.push_back(c);
        } else if (c < 0x80) {
            // "%", the reserved and unsafe sets and the controls cover every other ASCII code.
            AppendEscape(out, c);
        } else {
            const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() &&
                              text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
            const std::string utf8 = Utf16ToUtf8(text.substr(i, pair ? 2 : 1));
            for (char byte : utf8)
                AppendEscape(out, static_cast<unsigned char>(byte));
            if (pair)
                ++i;
        }
    }
    return out;
}

}  // namespace veltrano
