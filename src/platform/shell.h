// Shell port: starting documents, programs and URLs (ShellExecuteW).
#pragma once

#include <cstdint>

#include "base/text.h"

namespace veltrano {

constexpr int kShowHidden = 0;  // SW_HIDE
constexpr int kShowNormal = 1;  // SW_SHOWNORMAL

class Shell {
  public:
    virtual ~Shell() = default;
    // ShellExecuteW(owner, verb, file, parameters, no folder, show); owner 0 for none.
    virtual bool Execute(uintptr_t owner, TextView verb, TextView file, TextView parameters,
                         int show) = 0;
};

}  // namespace veltrano
