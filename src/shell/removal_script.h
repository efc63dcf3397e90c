// The batch script that deletes the program after it has ended: it retries until the running
// executable is released, then deletes itself.
#pragma once

#include "base/text.h"

namespace veltrano {

inline constexpr char16_t kRemovalScriptName[] = u"delself.bat";

// A path as a batch file must spell it: the command interpreter expands "%" even inside
// quotes, so every "%" is doubled.
Text BatchPath(TextView path);

// The four lines of the script, each ending in CR LF.
Text RemovalScript(TextView executablePath, TextView scriptPath);

}  // namespace veltrano
