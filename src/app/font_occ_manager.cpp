// The dialog font replacement.
#include "app/font_occ_manager.h"

#include <cstdlib>

#include "framework/dialog.h"
#include "framework/dialog_template.h"

namespace veltrano {
namespace {

// NONCLIENTMETRICSW up to and including iPaddedBorderWidth (Windows Vista and later).
constexpr UINT kNonClientMetricsSize = 504;

}  // namespace

DialogFont SystemMessageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = kNonClientMetricsSize;
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0);
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    DialogFont font;
    font.face = FromWide(metrics.lfMessageFont.lfFaceName);
    font.pointSize =
        static_cast<uint16_t>(::MulDiv(std::abs(metrics.lfMessageFont.lfHeight), 72, dpi));
    return font;
}

const DLGTEMPLATE* CFontOccManager::PreCreateDialog(CDialog& dialog,
                                                    const DLGTEMPLATE* dialogTemplate,
                                                    size_t size) {
    const DLGTEMPLATE* prepared =
        CControlContainerManager::PreCreateDialog(dialog, dialogTemplate, size);
    CWinApp* app = CWinApp::Current();
    Machine* machine = app != nullptr ? app->machine() : nullptr;
    const int major = machine != nullptr && machine->system != nullptr
                          ? machine->system->Version().major
                          : LOBYTE(LOWORD(::GetVersion()));
    if (major < 6 || dialog.HasReplacementTemplate())
        return prepared;
    auto copy =
        WithTemplateFont(reinterpret_cast<const uint8_t*>(prepared), size, SystemMessageFont());
    if (!copy)
        return prepared;
    return dialog.SetReplacementTemplate(std::move(*copy));
}

}  // namespace veltrano
