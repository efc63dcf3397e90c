// Dialog creation and message dispatch.
#include "framework/dialog.h"

#include "framework/app.h"

namespace veltrano {

CDialog::~CDialog() {
    if (!modal_ && IsWindow())
        ::DestroyWindow(hwnd_);
}

const DLGTEMPLATE* CDialog::SetReplacementTemplate(std::vector<uint8_t> bytes) {
    replacementTemplate_ = std::move(bytes);
    return reinterpret_cast<const DLGTEMPLATE*>(replacementTemplate_.data());
}

const DLGTEMPLATE* CDialog::PrepareTemplate() {
    CWinApp* app = CWinApp::Current();
    HINSTANCE instance = AppInstance();
    HRSRC resource = ::FindResourceW(instance, MAKEINTRESOURCEW(templateId_), RT_DIALOG);
    if (resource == nullptr)
        return nullptr;
    HGLOBAL loaded = ::LoadResource(instance, resource);
    const auto* dialogTemplate = static_cast<const DLGTEMPLATE*>(::LockResource(loaded));
    const size_t size = ::SizeofResource(instance, resource);
    if (dialogTemplate == nullptr || app == nullptr)
        return dialogTemplate;
    return app->OccManager().PreCreateDialog(*this, dialogTemplate, size);
}

INT_PTR CDialog::DoModal() {
    const DLGTEMPLATE* dialogTemplate = PrepareTemplate();
    if (dialogTemplate == nullptr)
        return -1;
    modal_ = true;
    return ::DialogBoxIndirectParamW(AppInstance(), dialogTemplate, parent_, &DialogProc,
                                     reinterpret_cast<LPARAM>(this));
}

bool CDialog::Create(HWND parent) {
    const DLGTEMPLATE* dialogTemplate = PrepareTemplate();
    if (dialogTemplate == nullptr)
        return false;
    modal_ = false;
    HWND hwnd = ::CreateDialogIndirectParamW(AppInstance(), dialogTemplate,
                                             parent != nullptr ? parent : parent_, &DialogProc,
                                             reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr;
}

void CDialog::EndDialog(INT_PTR result) {
    if (modal_) {
        ::EndDialog(hwnd_, result);
    } else {
        ::DestroyWindow(hwnd_);
    }
}

bool CDialog::UpdateData(bool save) {
    DataExchange exchange(hwnd_, save);
    DoDataExchange(exchange);
    return true;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

bool CDialog::OnCommand(UINT, UINT, HWND) {
    return false;
}

bool CDialog::OnNotify(NMHDR&, LRESULT&) {
    return false;
}

void CDialog::OnOK() {
    UpdateData(true);
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (self == nullptr)
        return FALSE;
    INT_PTR handled = FALSE;
    try {
        handled = self->Dispatch(message, wParam, lParam);
    } catch (...) {
        // No exception crosses the dialog procedure: the message gets default handling.
        handled = FALSE;
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    return handled;
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_COMMAND: {
            const UINT id = LOWORD(wParam);
            const UINT code = HIWORD(wParam);
            if (OnCommand(code, id, reinterpret_cast<HWND>(lParam)))
                return TRUE;
            if (id == IDOK && code == BN_CLICKED) {
                OnOK();
                return TRUE;
            }
            if (id == IDCANCEL) {
                OnCancel();
                return TRUE;
            }
            return FALSE;
        }
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (!OnNotify(*reinterpret_cast<NMHDR*>(lParam), result))
                return FALSE;
            ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
            return TRUE;
        }
        default:
            break;
    }
    LRESULT result = 0;
    if (!OnMessage(message, wParam, lParam, result))
        return FALSE;
    // Messages whose result a dialog procedure returns directly.
    switch (message) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_QUERYDRAGICON:
            return static_cast<INT_PTR>(result);
        default:
            ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
            return TRUE;
    }
}

}  // namespace veltrano
