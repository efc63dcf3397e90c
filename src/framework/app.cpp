// The application object.
#include "framework/app.h"

#include "framework/dialog.h"

namespace veltrano {
namespace {

CWinApp* g_current = nullptr;

}  // namespace

const DLGTEMPLATE* CControlContainerManager::PreCreateDialog(CDialog&,
                                                             const DLGTEMPLATE* dialogTemplate,
                                                             size_t) {
    return dialogTemplate;
}

CWinApp::CWinApp() : occManager_(std::make_unique<CControlContainerManager>()) {
    g_current = this;
}

CWinApp::~CWinApp() {
    if (g_current == this)
        g_current = nullptr;
}

CWinApp* CWinApp::Current() {
    return g_current;
}

int CWinApp::Run(HINSTANCE instance, Text commandLine, Machine& machine) {
    instance_ = instance;
    commandLine_ = std::move(commandLine);
    machine_ = &machine;
    InitInstance();
    // A dialog-based program returns false from its initialisation: no message loop follows,
    // and the process ends with exit code 0.
    return 0;
}

bool CWinApp::InitInstance() {
    return true;
}

HWND CWinApp::MainWindow() const {
    return mainWindow_ != nullptr ? mainWindow_->hwnd() : nullptr;
}

Text CWinApp::Title() const {
    return LoadResourceString(instance_, kAppTitleStringId);
}

HINSTANCE AppInstance() {
    return g_current != nullptr && g_current->Instance() != nullptr ? g_current->Instance()
                                                                    : ::GetModuleHandleW(nullptr);
}

Text LoadResourceString(HINSTANCE instance, UINT id) {
    const wchar_t* text = nullptr;
    const int n = ::LoadStringW(instance, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (n <= 0 || text == nullptr)
        return {};
    return FromWide(text, static_cast<size_t>(n));
}

}  // namespace veltrano
