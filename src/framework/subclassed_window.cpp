// Window subclassing through the common controls.
#include "framework/subclassed_window.h"

#include <commctrl.h>

namespace veltrano {
namespace {

constexpr UINT_PTR kSubclassId = 0x56454C54;  // "VELT"

}  // namespace

CSubclassedWindow::~CSubclassedWindow() {
    Unsubclass();
}

bool CSubclassedWindow::Subclass(HWND hwnd) {
    Unsubclass();
    hwnd_ = hwnd;
    subclassed_ =
        hwnd != nullptr && ::SetWindowSubclass(hwnd, &Procedure, kSubclassId,
                                               reinterpret_cast<DWORD_PTR>(this)) != FALSE;
    return subclassed_;
}

void CSubclassedWindow::Unsubclass() {
    if (subclassed_ && ::IsWindow(hwnd_))
        ::RemoveWindowSubclass(hwnd_, &Procedure, kSubclassId);
    subclassed_ = false;
}

LRESULT CSubclassedWindow::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefSubclassProc(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK CSubclassedWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<CSubclassedWindow*>(data);
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, &Procedure, kSubclassId);
        self->subclassed_ = false;
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }
    try {
        LRESULT result = 0;
        if (self->OnMessage(message, wParam, lParam, result))
            return result;
    } catch (...) {
        // Nothing may cross a window procedure; the control goes on with its own handling.
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace veltrano
