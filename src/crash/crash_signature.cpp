#include "crash/crash_signature.h"

namespace veltrano::crash {

uint32_t Fnv1a32(std::string_view bytes) {
    uint32_t hash = 0x811C9DC5u;
    for (const char c : bytes) {
        hash ^= static_cast<uint8_t>(c);
        hash *= 0x01000193u;
    }
    return hash;
}

Text HexText(uint64_t value) {
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    Text text;
    do {
        text.insert(text.begin(), kDigits[value & 15]);
        value >>= 4;
    } while (value != 0);
    return text;
}

Text VersionText(uint64_t version) {
    return UnsignedText(version >> 48) + u"." + UnsignedText((version >> 32) & 0xFFFF) + u"." +
           UnsignedText((version >> 16) & 0xFFFF) + u"." + UnsignedText(version & 0xFFFF);
}

CrashSignature MakeSignature(TextView module, TextView version, uint64_t offset, size_t frame) {
    CrashSignature s;
    s.module = Text(module);
    s.version = Text(version);
    s.offset = offset;
    s.frame = frame;
    s.input = s.module + u"|" + s.version + u"|0x" + HexText(offset);
    const Text digits = HexText(Fnv1a32(Utf16ToUtf8(s.input)));
    s.hash = Text(8 - digits.size(), u'0') + digits;
    return s;
}

}  // namespace veltrano::crash
