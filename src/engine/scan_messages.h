// The three messages the scan posts to its owner window.
#pragma once

#include <cstdint>

#include "base/text.h"
#include "platform/message_sink.h"

namespace veltrano {

constexpr uint32_t WM_SCAN_DONE = 0x8064;        // wParam: elapsed whole seconds
constexpr uint32_t WM_SCAN_FIRST_WEEK = 0x8065;  // the last week is complete
constexpr uint32_t WM_SCAN_PROGRESS = 0x8066;    // wParam: Text* owned by the receiver

// Posts a progress text; the receiver owns it. When the window is gone (or there is none) the
// text is freed here instead of leaking.
void PostProgressText(MessageSink* owner, Text text);

}  // namespace veltrano
