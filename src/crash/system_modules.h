// The modules of the system's own exception dispatch and reporting: a crash's frames in them are
// how every crash ends, not where it happened, so a signature names the first frame outside.
#pragma once

#include "base/text.h"

namespace veltrano::crash {

// True when the module's file name (without its folder, any letter case) is one of
// kDispatchModules (system_module_list.h).
bool IsDispatchModule(TextView fileName);

}  // namespace veltrano::crash
