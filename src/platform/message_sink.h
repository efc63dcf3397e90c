// The window that receives the scan's messages. Posting never waits for the receiver.
#pragma once

#include <cstdint>

namespace veltrano {

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    // PostMessageW; false when the message could not be posted (the window is gone).
    virtual bool Post(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};

}  // namespace veltrano
