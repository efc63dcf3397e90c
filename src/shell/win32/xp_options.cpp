// The question dialog for systems before the task dialog.
#include "shell/win32/xp_options.h"

#include "resources/resource_ids.h"
#include "shell/local_texts.h"

namespace veltrano {
namespace {

// A "Segoe UI" font of the given point size on the screen.
HFONT SegoeUi(int points) {
    HDC screen = ::GetDC(nullptr);
    const int height = -::MulDiv(points, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, screen);
    return ::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI");
}

}  // namespace

CXPOptions::CXPOptions(HWND parent) : CDialog(IDD_XP_OPTIONS, parent) {}

// A modeless dialog (tests) goes before its fonts do.
CXPOptions::~CXPOptions() {
    if (IsWindow())
        EndDialog(IDCANCEL);
}

void CXPOptions::DoDataExchange(DataExchange& exchange) {
    exchange.Text(IDC_XP_HEADING, heading);
    exchange.Text(IDC_XP_KEEP_NOTE, keepNote);
    exchange.Text(IDC_XP_REMOVE_NOTE, removeNote);
    exchange.Radio(IDC_XP_KEEP, option);
}

BOOL CXPOptions::OnInitDialog() {
    CDialog::OnInitDialog();
    ::EnableMenuItem(::GetSystemMenu(hwnd(), FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    CWindow keep(Item(IDC_XP_KEEP)), remove(Item(IDC_XP_REMOVE));
    keep.SetText(LocalText(LT_KEEP_OPTION));
    remove.SetText(LocalText(LT_REMOVE_OPTION));
    headingFont_.reset(SegoeUi(12));
    optionFont_.reset(SegoeUi(10));
    const auto heading = static_cast<HFONT>(headingFont_.get());
    const auto options = static_cast<HFONT>(optionFont_.get());
    CWindow(Item(IDC_XP_HEADING)).SetFont(heading);
    keep.SetFont(options);
    remove.SetFont(options);
    return TRUE;
}

}  // namespace veltrano
