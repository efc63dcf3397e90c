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
    if (first == nullptr) return;
    // The group runs from the first button to the next control with WS_GROUP.
    int position = 0;
    HWND button = first;
    if (save_) index = -1;
    do {
        if (save_) {
            if (::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED) index = position;
        } else {
            ::SendMessageW(button, BM_SETCHECK, position == index ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++position;
        button = ::GetNextDlgGroupItem(dialog_, button, FALSE);
    } while (button != nullptr && button != first);
}

void DataExchange::Control(int id, CWindow& control) {
    if (save_ || control.hwnd() != nullptr) return;
    HWND hwnd = ::GetDlgItem(dialog_, id);
    control.Attach(hwnd);
    if (auto* subclassed = dynamic_cast<CSubclassedWindow*>(&control)) subclassed->Subclass(hwnd);
}

}  // namespace veltrano
