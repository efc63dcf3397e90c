// The running executable's own version resource: the file version and the texts of its
// U.S. English / Windows-1252 string block.
#pragma once

#include "base/text.h"

namespace veltrano {

// "major.minor.build.revision" of the file version; false leaves version unchanged.
bool GetFileVersionText(Text& version);

// A value of the string block ("LegalCopyright", ...); names match without regard to letter case.
// False, with value unchanged, when the value is missing or empty.
bool GetVersionString(TextView name, Text& value);

}  // namespace veltrano
