// Entry point of Veltrano.exe.
#include <windows.h>

#include "app/veltrano_app.h"
#include "platform/win32/live_machine.h"
#include "platform/win32/wide.h"
#include "ui/scan_state.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace veltrano;
    LiveMachine live;
    CVeltranoApp app;
    const int exitCode =
        app.Run(instance, ArgumentsOf(FromWide(::GetCommandLineW())), live.machine());
    DiscardPendingScanMessages();
    // A scan still running when the window closed: end at once rather than tear down the
    // program's globals under the worker's feet.
    if (ScanStillRunning())
        ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(exitCode));
    return exitCode;
}
