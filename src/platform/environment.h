// Environment port: expansion of %NAME% variables.
#pragma once

#include "base/text.h"

namespace veltrano {

class Environment {
  public:
    virtual ~Environment() = default;
    // ExpandEnvironmentStringsW: undefined variables stay as they are; "" on failure.
    virtual Text Expand(TextView text) = 0;
};

}  // namespace veltrano
