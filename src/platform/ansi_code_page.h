// The system's ANSI code page: ZIP entry names, the removal script and narrow tooltip texts are
// written in it.
#pragma once

#include <optional>
#include <string>

#include "base/text.h"

namespace veltrano {

class AnsiCodePage {
  public:
    virtual ~AnsiCodePage() = default;
    // nullopt when a character has no form in the code page.
    virtual std::optional<std::string> FromUtf16(TextView text) = 0;
};

}  // namespace veltrano
