// Window wrapper helpers.
#include "framework/window.h"

#include <vector>

namespace veltrano {

Text CWindow::GetText() const {
    const int length = ::GetWindowTextLengthW(hwnd_);
    if (length <= 0)
        return {};
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    const int n = ::GetWindowTextW(hwnd_, buffer.data(), length + 1);
    return FromWide(buffer.data(), static_cast<size_t>(n > 0 ? n : 0));
}

RECT CWindow::WindowRect() const {
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    return r;
}

RECT CWindow::ClientRect() const {
    RECT r{};
    ::GetClientRect(hwnd_, &r);
    return r;
}

RECT CWindow::RectIn(HWND other) const {
    RECT r = WindowRect();
    ::MapWindowPoints(HWND_DESKTOP, other, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace veltrano
