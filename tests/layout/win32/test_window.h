// A real top-level window with child controls for the layout engine's Win32 tests, shown at a
// fixed place on the screen so that the window under a point can be found.
#pragma once

#include <windows.h>

#include "layout/geometry.h"

namespace veltrano::testing {

class TestWindow {
  public:
    static constexpr POINT kScreenPosition{60, 60};

    // A visible overlapped window whose client area has the given size.
    TestWindow(int clientWidth, int clientHeight);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    HWND AddControl(const wchar_t* windowClass, int id, const Rect& area, DWORD style = 0);
    // A child control's window rectangle in client coordinates.
    Rect ControlArea(int id) const;
    void ResizeClient(int clientWidth, int clientHeight);
    // Messages that reached the window's own procedure.
    static int ownMessages;

  private:
    HWND hwnd_ = nullptr;
};

LPARAM ClientPoint(int x, int y);

// Turns the visual styles of controls off for the process while it lives, as a system
// without a theme would have them.
class ClassicLook {
  public:
    ClassicLook();
    ~ClassicLook();
    ClassicLook(const ClassicLook&) = delete;
    ClassicLook& operator=(const ClassicLook&) = delete;

  private:
    DWORD previous_;
};

}  // namespace veltrano::testing
