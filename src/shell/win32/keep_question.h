// The question "Do you like Veltrano?" asked when a copy run from the temporary folder closes:
// a task dialog with two command links on Windows 6.x, the CXPOptions dialog otherwise.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/clock.h"

namespace veltrano {

enum KeepAnswer : int { kNoAnswer = 0, kKeepProgram = 1, kRemoveProgram = 2 };

// Command-link identifiers of the task dialog.
constexpr int kKeepButtonId = 1100;
constexpr int kRemoveButtonId = 1101;

// Asks in the form the Windows version calls for (or through the hook, when one is set).
int AskKeepQuestion(HWND mainDialog, const WindowsVersion& version);

// The two forms. The task dialog gives kNoAnswer where comctl32 has no TaskDialogIndirect.
int AskWithTaskDialog(HWND mainDialog);
int AskWithXPOptions(HWND mainDialog);

// Answers the question instead of showing it (tests); an empty function restores the dialogs.
void SetKeepQuestionHook(std::function<int()> hook);

}  // namespace veltrano
