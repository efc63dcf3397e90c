// The scan's worker thread.
#include "ui/scan_state.h"

#include <thread>

#include "engine/scan.h"
#include "engine/scan_messages.h"

namespace veltrano {
namespace {

std::atomic<int> g_runningWorkers{0};

}  // namespace

bool StartScanWorker(std::shared_ptr<ScanState> state, Machine& machine) {
    state->catalogue.ownerWindow = &state->sink;
    state->running = true;
    ++g_runningWorkers;
    try {
        std::thread([state, &machine] {
            ScanWorker(state->catalogue, machine);
            state->running = false;
            --g_runningWorkers;
        }).detach();
    } catch (const std::system_error&) {
        state->running = false;
        --g_runningWorkers;
        return false;
    }
    return true;
}

bool ScanStillRunning() {
    return g_runningWorkers > 0;
}

void DiscardPendingScanMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, WM_SCAN_PROGRESS, WM_SCAN_PROGRESS, PM_REMOVE)) {
        delete reinterpret_cast<Text*>(message.wParam);
    }
}

}  // namespace veltrano
