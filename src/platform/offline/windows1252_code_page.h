// The ANSI code page of a Western European Windows installation (Windows-1252), for hosts that
// have no system code page of their own.
#pragma once

#include "platform/ansi_code_page.h"

namespace veltrano {

class Windows1252CodePage : public AnsiCodePage {
  public:
    std::optional<std::string> FromUtf16(TextView text) override;
};

}  // namespace veltrano
