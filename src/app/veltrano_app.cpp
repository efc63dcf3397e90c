// Start-up: common controls, the dialog font, the language, then removal or the main window.
#include "app/veltrano_app.h"

#include <commctrl.h>

#include "app/font_occ_manager.h"
#include "shell/local_texts.h"
#include "shell/win32/self_uninstall.h"
#include "ui/main_dialog.h"

namespace veltrano {
namespace {

constexpr DWORD kAllControlClasses = 0xFF;
constexpr char16_t kUninstallOption[] = u"-uninstall";

}  // namespace

bool IsUninstallCommand(TextView commandLine) {
    size_t start = 0;
    while (start < commandLine.size() && commandLine[start] == u' ')
        ++start;
    const TextView rest = commandLine.substr(start);
    const TextView token = rest.substr(0, rest.find(u' '));
    return StartsWith(token, kUninstallOption);
}

Text ArgumentsOf(TextView full) {
    size_t i = 0;
    if (i < full.size() && full[i] == u'"') {
        ++i;
        while (i < full.size() && full[i] != u'"')
            ++i;
        if (i < full.size())
            ++i;
    } else {
        while (i < full.size() && full[i] != u' ' && full[i] != u'\t')
            ++i;
    }
    while (i < full.size() && (full[i] == u' ' || full[i] == u'\t'))
        ++i;
    return Text(full.substr(i));
}

bool CVeltranoApp::InitInstance() {
    INITCOMMONCONTROLSEX controls{sizeof controls, kAllControlClasses};
    ::InitCommonControlsEx(&controls);
    CWinApp::InitInstance();
    EnableControlContainer(std::make_unique<CFontOccManager>());
    SetRegistryKey(u"Local AppWizard-Generated Applications");
    Machine& ports = *machine();
    InitLocalTexts(ports.system != nullptr ? ports.system->UserDefaultLanguage() : 0,
                   CommandLine());

    if (!CommandLine().empty() && IsUninstallCommand(CommandLine())) {
        SelfUninstall(ports, Title());
        return false;
    }
    CVeltranoDlg dialog(ports);
    SetMainWindow(&dialog);
    dialog.DoModal();
    SetMainWindow(nullptr);
    return false;
}

}  // namespace veltrano
