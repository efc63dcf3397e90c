// The Windows-1252 code page (Western European ANSI), in which the program reads the ANSI
// entries of message tables.
#pragma once

#include "base/byte_view.h"
#include "base/text.h"

namespace veltrano {

// Text of the bytes up to the first zero byte.
Text Windows1252Text(ByteView bytes);

}  // namespace veltrano
