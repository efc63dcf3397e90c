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
    for (const CodePoint cp : CodePoints(text)) {
        if (cp.value < 0x80 && IsKept(static_cast<char16_t>(cp.value))) {
            out.push_back(static_cast<char16_t>(cp.value));
        } else if (cp.value < 0x80) {
            // "%", the reserved and unsafe sets and the controls cover every other ASCII code.
            AppendEscape(out, cp.value);
        } else {
            // An unpaired surrogate goes out as U+FFFD, as every text does in UTF-8.
            std::string utf8;
            AppendUtf8(utf8, cp.lone ? 0xFFFD : cp.value);
            for (char byte : utf8)
                AppendEscape(out, static_cast<unsigned char>(byte));
        }
    }
    return out;
}

}  // namespace veltrano
