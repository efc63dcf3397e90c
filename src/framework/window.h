// A window wrapper that only holds the HWND: one-line methods over the window messages and
// calls the dialogs use. It owns nothing.
#pragma once

#include <windows.h>

#include "base/text.h"
#include "platform/win32/wide.h"

namespace veltrano {

class CWindow {
  public:
    CWindow() = default;
    explicit CWindow(HWND hwnd) : hwnd_(hwnd) {}
    virtual ~CWindow() = default;

    HWND hwnd() const { return hwnd_; }
    void Attach(HWND hwnd) { hwnd_ = hwnd; }
    bool IsWindow() const { return hwnd_ != nullptr && ::IsWindow(hwnd_); }
    explicit operator bool() const { return hwnd_ != nullptr; }

    HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
    int Id() const { return ::GetDlgCtrlID(hwnd_); }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(hwnd_, message, wParam, lParam);
    }
    Text GetText() const;
    void SetText(const Text& text) const { ::SetWindowTextW(hwnd_, Wide(text)); }
    void Show(bool visible) const { ::ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE); }
    bool IsVisible() const { return ::IsWindowVisible(hwnd_) != 0; }
    void Enable(bool enabled) const { ::EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
    bool IsEnabled() const { return ::IsWindowEnabled(hwnd_) != 0; }
    RECT WindowRect() const;
    RECT ClientRect() const;
    // The window rectangle in the client coordinates of the given window (the parent, usually).
    RECT RectIn(HWND other) const;
    void Move(const RECT& r, bool repaint = true) const {
        ::MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, repaint);
    }
    void SetFont(HFONT font, bool redraw = true) const {
        Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
    }
    void Invalidate(bool erase = true) const { ::InvalidateRect(hwnd_, nullptr, erase); }

  protected:
    HWND hwnd_ = nullptr;
};

inline int Width(const RECT& r) {
    return r.right - r.left;
}
inline int Height(const RECT& r) {
    return r.bottom - r.top;
}

}  // namespace veltrano
