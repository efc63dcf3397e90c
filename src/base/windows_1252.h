// The Windows-1252 code page (Western European ANSI), both ways: the ANSI entries of message
// tables are read in it, and off Windows the program writes its ANSI texts in it.
#pragma once

#include <optional>
#include <string>

#include "base/byte_view.h"
#include "base/text.h"

namespace veltrano {

// Text of the bytes up to the first zero byte.
Text Windows1252Text(ByteView bytes);

// The bytes of a text; nullopt when a character has no byte in the code page.
std::optional<std::string> Windows1252Bytes(TextView text);

}  // namespace veltrano
