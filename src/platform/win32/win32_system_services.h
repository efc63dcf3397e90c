// Small Win32 adapters: environment expansion, the shell, and the window that receives the
// scan's messages.
#pragma once

#include <windows.h>

#include "platform/environment.h"
#include "platform/key_state.h"
#include "platform/message_sink.h"
#include "platform/shell.h"

namespace veltrano {

class Win32Environment : public Environment {
  public:
    Text Expand(TextView text) override;
};

class Win32Shell : public Shell {
  public:
    bool Execute(uintptr_t owner, TextView verb, TextView file, TextView parameters,
                 int show) override;
};

class WindowMessageSink : public MessageSink {
  public:
    explicit WindowMessageSink(HWND window) : window_(window) {}
    bool Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

  private:
    HWND window_;
};

class Win32KeyState : public KeyState {
  public:
    int16_t StateOf(int virtualKey) override { return ::GetKeyState(virtualKey); }
};

// Whether the program runs under Wine (ntdll exports wine_get_version).
bool RunningUnderWine();

}  // namespace veltrano
