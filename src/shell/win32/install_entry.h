// The install entry: a copy run from the temporary folder offers, when it closes, to keep the
// program; keeping copies the executable to the desktop and enters the copy in the current
// user's list of installed programs.
#pragma once

#include <windows.h>

#include "platform/machine.h"

namespace veltrano {

// Whether the running executable lies inside the temporary folder (the prefix test is
// case-sensitive, as the system spells both paths).
bool IsRunningFromTemp(FileSystem& files);

// Asks the keep-or-remove question and, on keep, copies the executable to the desktop and
// writes the uninstall entry. Remove or no answer changes nothing.
void OfferToKeep(HWND mainDialog, Machine& machine);

// Writes one REG_SZ value of the uninstall entry, creating the key when needed; failures are
// ignored.
void WriteUninstallValue(Registry& registry, TextView text, TextView valueName);

}  // namespace veltrano
