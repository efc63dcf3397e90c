// The report page's style sheet, script and row icons, compiled into the program so that every
// page it writes is one self-contained file.
#pragma once

#include <string_view>

namespace veltrano {

std::string_view PageStyle();
std::string_view PageScript();
std::string_view RowIconsPng();  // the list's four icons side by side, 64 x 16
// The script's SHA-256 (32 bytes), which the page's content policy names as the one script
// allowed to run.
std::string_view PageScriptSha256();

}  // namespace veltrano
