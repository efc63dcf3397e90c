// TaskDialogIndirect lives only in version 6 of the common controls: it is looked up at run time
// so that the program still starts where it is missing.
#include "shell/win32/keep_question.h"

#include <commctrl.h>

#include "framework/app.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/wide.h"
#include "resources/resource_ids.h"
#include "shell/local_texts.h"
#include "shell/win32/xp_options.h"

namespace veltrano {
namespace {

std::function<int()>& Hook() {
    static std::function<int()> hook;
    return hook;
}

HINSTANCE ProgramModule() {
    CWinApp* app = CWinApp::Current();
    return app != nullptr && app->Instance() != nullptr ? app->Instance()
                                                        : ::GetModuleHandleW(nullptr);
}

using TaskDialogIndirectFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

}  // namespace

int AskKeepQuestion(HWND mainDialog, const WindowsVersion& version) {
    if (Hook())
        return Hook()();
    return version.major == 6 ? AskWithTaskDialog(mainDialog) : AskWithXPOptions(mainDialog);
}

int AskWithTaskDialog(HWND mainDialog) {
    ScopedModule comctl(::LoadLibraryW(L"comctl32.dll"));
    if (!comctl)
        return kNoAnswer;
    const auto taskDialogIndirect = reinterpret_cast<TaskDialogIndirectFunction>(
        reinterpret_cast<void*>(::GetProcAddress(comctl.get(), "TaskDialogIndirect")));
    if (taskDialogIndirect == nullptr)
        return kNoAnswer;

    const Text title = LocalText(LT_PRODUCT_NAME);
    const Text question = LocalText(LT_LIKE_QUESTION);
    // The part after the line break shows as the command link's note.
    const Text keep = LocalText(LT_KEEP_OPTION) + u"\r\n" + LocalText(LT_KEEP_NOTE);
    const Text remove = LocalText(LT_REMOVE_OPTION) + u"\r\n" + LocalText(LT_REMOVE_NOTE);
    const TASKDIALOG_BUTTON buttons[] = {{kKeepButtonId, Wide(keep)},
                                         {kRemoveButtonId, Wide(remove)}};

    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = mainDialog;
    config.hInstance = ProgramModule();
    config.dwFlags = TDF_USE_COMMAND_LINKS;
    config.dwCommonButtons = 0;
    config.pszWindowTitle = Wide(title);
    config.pszMainIcon = MAKEINTRESOURCEW(IDR_MAINFRAME);
    config.pszMainInstruction = Wide(question);
    config.pszContent = nullptr;
    config.cButtons = 2;
    config.pButtons = buttons;
    config.nDefaultButton = kKeepButtonId;
    config.cxWidth = 250;

    int pressed = 0;
    if (FAILED(taskDialogIndirect(&config, &pressed, nullptr, nullptr)))
        return kNoAnswer;
    if (pressed == kKeepButtonId)
        return kKeepProgram;
    if (pressed == kRemoveButtonId)
        return kRemoveProgram;
    return kNoAnswer;
}

int AskWithXPOptions(HWND mainDialog) {
    CXPOptions dialog(mainDialog);
    dialog.heading = LocalText(LT_LIKE_QUESTION);
    dialog.keepNote = LocalText(LT_KEEP_NOTE);
    dialog.removeNote = LocalText(LT_REMOVE_NOTE);
    // Escape keeps the preselected first option, so the modal result does not matter, unless
    // the dialog could not be shown at all: that is no answer, not a silent "keep".
    if (dialog.DoModal() == -1)
        return kNoAnswer;
    if (dialog.option == 0)
        return kKeepProgram;
    if (dialog.option == 1)
        return kRemoveProgram;
    return kNoAnswer;
}

void SetKeepQuestionHook(std::function<int()> hook) {
    Hook() = std::move(hook);
}

}  // namespace veltrano
