// Text decoding over byte views.
#include "base/byte_view.h"

namespace veltrano {

Text Utf16LeText(ByteView bytes) {
    Text text;
    text.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t c = static_cast<char16_t>(bytes.U16(i));
        if (c == 0)
            break;
        text.push_back(c);
    }
    return text;
}

Text Latin1Text(ByteView bytes) {
    Text text;
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        const uint8_t c = bytes.U8(i);
        if (c == 0)
            break;
        text.push_back(static_cast<char16_t>(c));
    }
    return text;
}

}  // namespace veltrano
