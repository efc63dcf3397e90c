// The program's message boxes.
#include "framework/message_box.h"

#include "framework/app.h"
#include "platform/win32/wide.h"

namespace veltrano {
namespace {

MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

}  // namespace

int ShowMessageBox(HWND owner, const Text& text, const Text& caption, UINT type) {
    if (Hook())
        return Hook()(owner, text, caption, type);
    return ::MessageBoxW(owner, Wide(text), Wide(caption), type);
}

int AppMessageBox(HWND owner, const Text& text, UINT type) {
    CWinApp* app = CWinApp::Current();
    return ShowMessageBox(owner, text, app != nullptr ? app->Title() : Text(), type);
}

void SetMessageBoxHook(MessageBoxHook hook) {
    Hook() = std::move(hook);
}

}  // namespace veltrano
