// The system's ANSI code page over WideCharToMultiByte.
#pragma once

#include "platform/ansi_code_page.h"

namespace veltrano {

class Win32AnsiCodePage : public AnsiCodePage {
  public:
    std::optional<std::string> FromUtf16(TextView text) override;
};

}  // namespace veltrano
