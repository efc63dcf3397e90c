// The names of the ways a message text comes out, or why it does not.
#pragma once

#include "engine/catalogue.h"

namespace veltrano {

// "messageFile", "noRegistry", … as JSON keys name them.
const char* TextPathName(TextPath path);
// "message file", "no registry on the drive", … as tables and the lines' fields name them.
const char* TextPathTitle(TextPath path);

}  // namespace veltrano
