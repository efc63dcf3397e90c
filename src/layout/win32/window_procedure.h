// The process-wide window map and the window procedure that hands a hooked window's messages
// to its layout engine before the window's own procedure sees them.
#pragma once

#include <windows.h>

namespace veltrano {

class CWndResizer;

// Enters the window in the map and replaces its procedure. False when the window does not
// exist or already has an engine.
bool HookWindow(HWND window, CWndResizer& engine);
// Puts the old procedure back and drops the map entry.
void UnhookWindow(HWND window);

}  // namespace veltrano
