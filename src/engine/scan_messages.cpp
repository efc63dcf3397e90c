// Posting the scan's progress texts.
#include "engine/scan_messages.h"

#include <memory>

namespace veltrano {

void PostProgressText(MessageSink* owner, Text text) {
    if (owner == nullptr)
        return;
    auto heapText = std::make_unique<Text>(std::move(text));
    if (owner->Post(WM_SCAN_PROGRESS, reinterpret_cast<uintptr_t>(heapText.get()), 0)) {
        heapText.release();  // the receiver frees it
    }
}

}  // namespace veltrano
