// All message boxes of the program go through one function, so tests can answer them.
#pragma once

#include <windows.h>

#include <functional>

#include "base/text.h"

namespace veltrano {

// MessageBoxW's contract: returns the button pressed (IDOK, IDYES ...).
int ShowMessageBox(HWND owner, const Text& text, const Text& caption, UINT type);

// A message box captioned with the application's title.
int AppMessageBox(HWND owner, const Text& text, UINT type);

// Replaces the message box for tests; an empty function restores the real one.
using MessageBoxHook =
    std::function<int(HWND owner, const Text& text, const Text& caption, UINT type)>;
void SetMessageBoxHook(MessageBoxHook hook);

}  // namespace veltrano
