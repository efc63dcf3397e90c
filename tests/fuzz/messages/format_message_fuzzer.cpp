// Any message text and insert strings through the formatter: the input is UTF-16LE text whose
// parts, separated by zero characters, are the message and then its inserts.
#include <cstddef>
#include <cstdint>

#include "platform/offline/messages/format_message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<veltrano::Text> parts(1);
    for (size_t i = 0; i + 1 < size; i += 2) {
        const char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (c == 0) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    const veltrano::Text message = parts.front();
    parts.erase(parts.begin());
    const auto ignored = veltrano::FormatMessageText(message, nullptr);
    const auto inserted = veltrano::FormatMessageText(message, &parts);
    if ((ignored && ignored->size() > veltrano::kMaxFormattedMessage) ||
        (inserted && inserted->size() > veltrano::kMaxFormattedMessage)) {
        __builtin_trap();
    }
    return 0;
}
