// Memory port: the large blocks whose allocation failure the program survives instead of ending
// (the event-log reader's buffer). A machine without this port uses the process heap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace veltrano {

class Memory {
  public:
    virtual ~Memory() = default;
    // A zero-filled block of size bytes, or null when none can be had.
    virtual std::unique_ptr<uint8_t[]> Allocate(size_t size) = 0;
};

}  // namespace veltrano
