// What the window and the scan's worker share: the catalogue and the window that receives the
// scan's messages. Both hold it, so it lives until the later of the two lets go — the window may
// close while the worker still runs, and the worker must never write into a freed catalogue.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "engine/catalogue.h"
#include "platform/machine.h"
#include "platform/win32/win32_system_services.h"

namespace veltrano {

struct ScanState {
    explicit ScanState(HWND owner) : sink(owner) {}
    ErrorCatalogue catalogue;
    WindowMessageSink sink;
    std::atomic<bool> running{false};
};

// Starts the worker thread over the shared state; it posts WM_SCAN_DONE when it ends.
bool StartScanWorker(std::shared_ptr<ScanState> state, Machine& machine);

// Whether a scan's worker still runs (the process should end without waiting for it).
bool ScanStillRunning();

// Frees the progress texts of scan messages left in this thread's queue after the window is
// gone.
void DiscardPendingScanMessages();

}  // namespace veltrano
