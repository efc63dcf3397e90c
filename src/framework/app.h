// The application object: instance start-up, the ports of the machine, the main window, and the
// control-container manager whose hook sees every dialog template before it is created.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "base/text.h"
#include "platform/machine.h"

namespace veltrano {

class CDialog;
class CWindow;

// Sees every dialog template before the dialog is created from it.
class CControlContainerManager {
  public:
    virtual ~CControlContainerManager() = default;
    // Returns the template to create the dialog from: the given one, or a replacement that the
    // dialog keeps (CDialog::SetReplacementTemplate).
    virtual const DLGTEMPLATE* PreCreateDialog(CDialog& dialog, const DLGTEMPLATE* dialogTemplate,
                                               size_t size);
};

class CWinApp {
  public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    static CWinApp* Current();

    // Runs the instance initialisation; the process then ends with the returned exit code.
    int Run(HINSTANCE instance, Text commandLine, Machine& machine);
    virtual bool InitInstance();

    HINSTANCE Instance() const { return instance_; }
    const Text& CommandLine() const { return commandLine_; }
    // The ports of the machine; null before Run (tests may attach one without running).
    Machine* machine() { return machine_; }
    void AttachMachine(Machine& machine) { machine_ = &machine; }
    // The caption of the framework's message boxes (string resource kAppTitleStringId).
    Text Title() const;
    // The window registered as the application's main window (none while it has no handle).
    HWND MainWindow() const;
    void SetMainWindow(const CWindow* window) { mainWindow_ = window; }
    void EnableControlContainer(std::unique_ptr<CControlContainerManager> manager) {
        occManager_ = std::move(manager);
    }
    CControlContainerManager& OccManager() { return *occManager_; }
    // The framework's root for profile settings; the program itself writes nothing under it.
    void SetRegistryKey(Text key) { registryKey_ = std::move(key); }
    const Text& RegistryKey() const { return registryKey_; }

  private:
    HINSTANCE instance_ = nullptr;
    Text commandLine_;
    Machine* machine_ = nullptr;
    const CWindow* mainWindow_ = nullptr;
    std::unique_ptr<CControlContainerManager> occManager_;
    Text registryKey_;
};

constexpr UINT kAppTitleStringId = 0xE000;

// The program's module (the application's, or the running executable's without one).
HINSTANCE AppInstance();

// A string resource of the module; empty when it does not exist.
Text LoadResourceString(HINSTANCE instance, UINT id);

}  // namespace veltrano
