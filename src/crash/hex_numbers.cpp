// Writing and reading hexadecimal numbers.
#include "crash/hex_numbers.h"

#include "crash/crash_signature.h"

namespace veltrano::crash {

Text PaddedHex(uint64_t value, size_t digits) {
    const Text hex = HexText(value);
    return u"0x" + Text(digits > hex.size() ? digits - hex.size() : 0, u'0') + hex;
}

std::optional<uint64_t> ParseHexNumber(TextView text) {
    if (StartsWith(text, u"0x") || StartsWith(text, u"0X"))
        text.remove_prefix(2);
    if (text.empty() || text.size() > 16)
        return std::nullopt;
    uint64_t value = 0;
    for (char16_t c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        value = value << 4 | static_cast<uint64_t>(digit);
    }
    return value;
}

}  // namespace veltrano::crash
