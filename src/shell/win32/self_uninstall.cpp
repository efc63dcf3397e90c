// The self-removal. The script is ANSI text for the command interpreter; a path that the ANSI
// code page cannot spell is not written at all, since its substitute characters ("?") would be
// wildcards for "del".
#include "shell/win32/self_uninstall.h"

#include <windows.h>

#include "framework/message_box.h"
#include "shell/local_texts.h"
#include "shell/maker.h"
#include "shell/removal_script.h"

namespace veltrano {

bool SelfUninstall(Machine& machine, const Text& caption) {
    if (ShowMessageBox(nullptr, LocalText(LT_CONFIRM_REMOVE), caption,
                       MB_YESNOCANCEL | MB_ICONQUESTION) != IDYES) {
        return true;
    }
    machine.registry->DeleteUserKeyTree(kSettingsKeyPath);
    machine.registry->DeleteUserKeyTree(kUninstallKeyPath);

    FileSystem& files = *machine.files;
    const Text executable = files.ModulePath();
    if (executable.empty())
        return false;
    const Text temp = files.TempFolder();
    if (temp.empty() || temp.size() > 260)
        return false;
    const Text script = temp + kRemovalScriptName;
    const auto ansi = machine.ansi->FromUtf16(RemovalScript(executable, script));
    if (!ansi)
        return false;
    auto file = files.CreateForWriting(script);
    if (file == nullptr)
        return false;
    const bool complete = file->Write(ansi->data(), ansi->size()) == ansi->size();
    file.reset();
    // A cut-off script could name a different file: it is never run.
    if (!complete) {
        files.Remove(script);
        return false;
    }
    machine.shell->Execute(0, u"open", script, {}, kShowHidden);
    return true;
}

}  // namespace veltrano
