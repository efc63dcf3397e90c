// The layout engine over a real window: the host that CWndResizer::Attach takes, and the
// lookup of the engine a window is attached to.
//
//     CWndResizer layout;                      // a member of the dialog
//     layout.Attach(MakeWindowHost(hwnd));     // in the dialog's initialisation
#pragma once

#include <windows.h>

#include <memory>

#include "layout/layout_host.h"

namespace veltrano {

// Attaching through this host replaces the window's procedure; WM_DESTROY detaches.
std::unique_ptr<LayoutHost> MakeWindowHost(HWND window);

// The engine attached to a window (the process-wide window map); none for other windows.
CWndResizer* ResizerForWindow(HWND window);

}  // namespace veltrano
