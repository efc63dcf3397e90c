// The ANSI code page of a host without one of its own: Windows-1252.
#include "platform/offline/windows1252_code_page.h"

#include "base/windows_1252.h"

namespace veltrano {

std::optional<std::string> Windows1252CodePage::FromUtf16(TextView text) {
    return Windows1252Bytes(text);
}

}  // namespace veltrano
