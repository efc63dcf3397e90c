// Key state port: whether keys are held down at this moment (GetKeyState).
#pragma once

#include <cstdint>

namespace veltrano {

class KeyState {
  public:
    virtual ~KeyState() = default;
    // The signed key state as GetKeyState gives it; held keys are negative.
    virtual int16_t StateOf(int virtualKey) = 0;
};

}  // namespace veltrano
