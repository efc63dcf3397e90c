// Windows-1252: Latin-1 except for 0x80 to 0x9F, where Windows places typographic characters.
// Its five unassigned bytes map to the C1 controls of the same value, as MultiByteToWideChar does.
#include "base/windows_1252.h"

namespace veltrano {
namespace {

constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

std::optional<char> ToByte(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == c)
            return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> Windows1252Bytes(TextView text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        const auto byte = ToByte(c);
        if (!byte)
            return std::nullopt;
        out.push_back(*byte);
    }
    return out;
}

Text Windows1252Text(ByteView bytes) {
    Text text = Latin1Text(bytes);
    for (char16_t& c : text) {
        if (c >= 0x80 && c <= 0x9F)
            c = kHighControls[c - 0x80];
    }
    return text;
}

}  // namespace veltrano
