// The test window: a plain class whose procedure counts the messages it gets.
#include "layout/win32/test_window.h"

#include <uxtheme.h>

namespace veltrano::testing {

namespace {

constexpr wchar_t kClassName[] = L"VeltranoLayoutTestWindow";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

LRESULT CALLBACK OwnProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ++TestWindow::ownMessages;
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

void RegisterOnce() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = OwnProcedure;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClassName;
        return ::RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
}

SIZE WindowSize(int clientWidth, int clientHeight) {
    RECT r{0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&r, kStyle, FALSE, 0);
    return {r.right - r.left, r.bottom - r.top};
}

}  // namespace

int TestWindow::ownMessages = 0;

TestWindow::TestWindow(int clientWidth, int clientHeight) {
    RegisterOnce();
    const SIZE size = WindowSize(clientWidth, clientHeight);
    hwnd_ = ::CreateWindowExW(0, kClassName, L"Layout test", kStyle, kScreenPosition.x,
                              kScreenPosition.y, size.cx, size.cy, nullptr, nullptr,
                              ::GetModuleHandleW(nullptr), nullptr);
    ::ShowWindow(hwnd_, SW_SHOWNORMAL);
    ::UpdateWindow(hwnd_);
}

TestWindow::~TestWindow() {
    if (::IsWindow(hwnd_))
        ::DestroyWindow(hwnd_);
}

HWND TestWindow::AddControl(const wchar_t* windowClass, int id, const Rect& area, DWORD style) {
    return ::CreateWindowExW(0, windowClass, L"", WS_CHILD | WS_VISIBLE | style, area.left,
                             area.top, area.Width(), area.Height(), hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             ::GetModuleHandleW(nullptr), nullptr);
}

Rect TestWindow::ControlArea(int id) const {
    RECT r{};
    ::GetWindowRect(::GetDlgItem(hwnd_, id), &r);
    ::MapWindowPoints(HWND_DESKTOP, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right, r.bottom};
}

void TestWindow::ResizeClient(int clientWidth, int clientHeight) {
    const SIZE size = WindowSize(clientWidth, clientHeight);
    ::SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

ClassicLook::ClassicLook() : previous_(::GetThemeAppProperties()) {
    ::SetThemeAppProperties(0);
}

ClassicLook::~ClassicLook() {
    ::SetThemeAppProperties(previous_);
}

LPARAM ClientPoint(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

}  // namespace veltrano::testing
