// Status bar control with one stretching pane.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/window.h"

namespace veltrano {

class CStatusBar : public CWindow {
  public:
    using CWindow::CWindow;
    bool Create(HWND parent, int id) {
        hwnd_ = ::CreateWindowExW(
            0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | CCS_BOTTOM, 0, 0, 0, 0, parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
            reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
        return hwnd_ != nullptr;
    }
    // One pane that stretches over the whole bar.
    void SetSinglePane() const {
        int right = -1;
        Send(SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&right));
    }
    void SetPaneText(int pane, const Text& text) const {
        Send(SB_SETTEXTW, pane, reinterpret_cast<LPARAM>(Wide(text)));
    }
    Text PaneText(int pane) const;
    // Keeps the bar at the bottom of its parent's client area.
    void Reposition() const { Send(WM_SIZE); }
};

}  // namespace veltrano
