// Dialog data exchange.
#include "framework/data_exchange.h"

#include "framework/subclassed_window.h"
#include "framework/window.h"

namespace veltrano {

void DataExchange::Text(int id, veltrano::Text& value) {
    CWindow control(::GetDlgItem(dialog_, id));
    if (save_) {
        value = control.GetText();
    } else {
        control.SetText(value);
    }
}

void DataExchange::Radio(int firstId, int& index) {
    HWND first = ::GetDlgItem(dialog_, firstId);
    if (first == nullptr)
        return;
    if (save_)
        index = -1;
    // The group runs from the first button up to the next control that starts a group; only the
    // radio buttons in it count (notes between them do not), hidden or disabled ones included.
    int position = 0;
    for (HWND control = first; control != nullptr; control = ::GetWindow(control, GW_HWNDNEXT)) {
        if (control != first && (::GetWindowLongW(control, GWL_STYLE) & WS_GROUP) != 0)
            break;
        if ((::SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) == 0)
            continue;
        if (save_) {
            if (::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED)
                index = position;
        } else {
            ::SendMessageW(control, BM_SETCHECK, position == index ? BST_CHECKED : BST_UNCHECKED,
                           0);
        }
        ++position;
    }
}

void DataExchange::Control(int id, CWindow& control) {
    if (save_ || control.hwnd() != nullptr)
        return;
    HWND hwnd = ::GetDlgItem(dialog_, id);
    control.Attach(hwnd);
    if (auto* subclassed = dynamic_cast<CSubclassedWindow*>(&control))
        subclassed->Subclass(hwnd);
}

}  // namespace veltrano
