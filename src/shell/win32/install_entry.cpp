// Offering to keep the program and writing its uninstall entry.
#include "shell/win32/install_entry.h"

#include "shell/install_texts.h"
#include "shell/maker.h"
#include "shell/win32/keep_question.h"
#include "shell/win32/version_resource.h"

namespace veltrano {

bool IsRunningFromTemp(FileSystem& files) {
    const Text executable = files.ModulePath();
    const Text temp = files.TempFolder();
    if (executable.empty() || temp.empty() || temp.size() > 260)
        return false;
    return executable.size() > temp.size() && StartsWith(executable, temp);
}

void OfferToKeep(HWND mainDialog, Machine& machine) {
    if (AskKeepQuestion(mainDialog, machine.system->Version()) != kKeepProgram)
        return;
    FileSystem& files = *machine.files;
    const Text executable = files.ModulePath();
    const Text desktop = files.DesktopFolder();
    if (executable.empty() || desktop.empty())
        return;
    const Text copy = DesktopCopyPath(desktop, executable);
    if (!files.Copy(executable, copy, false))
        return;
    Text version;
    GetFileVersionText(version);
    for (const auto& value : UninstallValues(copy, desktop, version)) {
        WriteUninstallValue(*machine.registry, value.data, value.name);
    }
}

void WriteUninstallValue(Registry& registry, TextView text, TextView valueName) {
    registry.WriteUserString(kUninstallKeyPath, valueName, text);
}

}  // namespace veltrano
