// The replacement window procedure. For every message it first does the engine's work and
// then always passes the message to the procedure it replaced. No exception leaves it: a
// failure in the engine's work must not take the window down with it.
#include "layout/win32/window_procedure.h"

#include <windowsx.h>

#include <mutex>
#include <optional>
#include <unordered_map>

#include "layout/win32/gdi_canvas.h"
#include "layout/win32/window_host.h"
#include "layout/wnd_resizer.h"

namespace veltrano {

namespace {

struct HookedWindow {
    CWndResizer* engine = nullptr;
    WNDPROC previous = nullptr;
};

// The process-wide map from a window to its engine. Entries are copied out under the lock so
// that the engine's work (which may unhook) runs without it.
class WindowMap {
  public:
    static WindowMap& Instance() {
        static WindowMap map;
        return map;
    }

    bool Enter(HWND window, HookedWindow hooked) {
        std::lock_guard<std::mutex> lock(mutex_);
        return windows_.emplace(window, hooked).second;
    }

    void Drop(HWND window) {
        std::lock_guard<std::mutex> lock(mutex_);
        windows_.erase(window);
    }

    std::optional<HookedWindow> Find(HWND window) {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = windows_.find(window);
        if (it == windows_.end())
            return std::nullopt;
        return it->second;
    }

  private:
    std::mutex mutex_;
    std::unordered_map<HWND, HookedWindow> windows_;
};

Point ClientPosition(LPARAM lParam) {
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

// Begins and ends painting even when the painting in between fails.
class PaintScope {
  public:
    explicit PaintScope(HWND window) : window_(window) { dc_ = ::BeginPaint(window, &paint_); }
    ~PaintScope() { ::EndPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return dc_; }

  private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_ = nullptr;
};

void Paint(CWndResizer& engine, HWND window) {
    PaintScope scope(window);
    if (scope.dc() == nullptr)
        return;
    GdiCanvas canvas(scope.dc(), window);
    engine.PaintVisualPanels(canvas);
}

void Sizing(const CWndResizer& engine, WPARAM edge, LPARAM lParam) {
    auto* rect = reinterpret_cast<RECT*>(lParam);
    if (rect == nullptr)
        return;
    Rect r{rect->left, rect->top, rect->right, rect->bottom};
    engine.OnSizing(static_cast<int32_t>(edge), r);
    *rect = RECT{r.left, r.top, r.right, r.bottom};
}

void EngineWork(CWndResizer& engine, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto keys = static_cast<uint32_t>(wParam);
    switch (message) {
        case WM_DESTROY:
            engine.Detach();
            break;
        case WM_SIZE:
        case WM_HSCROLL:
        case WM_VSCROLL:
            engine.Relayout();
            break;
        case WM_PAINT:
            Paint(engine, window);
            break;
        case WM_MOUSEMOVE:
            engine.OnMouseMove(keys, ClientPosition(lParam));
            break;
        case WM_LBUTTONUP:
            engine.OnLButtonUp(keys, ClientPosition(lParam));
            break;
        case WM_LBUTTONDOWN:
            engine.OnLButtonDown(ClientPosition(lParam));
            break;
        case WM_SIZING:
            Sizing(engine, wParam, lParam);
            break;
        default:
            break;
    }
}

LRESULT CALLBACK ResizerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const std::optional<HookedWindow> hooked = WindowMap::Instance().Find(window);
    if (!hooked)
        return ::DefWindowProcW(window, message, wParam, lParam);
    try {
        EngineWork(*hooked->engine, window, message, wParam, lParam);
    } catch (...) {
        // The window's own procedure still gets the message below.
    }
    return ::CallWindowProcW(hooked->previous, window, message, wParam, lParam);
}

}  // namespace

bool HookWindow(HWND window, CWndResizer& engine) {
    if (!::IsWindow(window))
        return false;
    auto previous = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC));
    if (previous == nullptr || previous == ResizerWindowProc)
        return false;
    if (!WindowMap::Instance().Enter(window, {&engine, previous}))
        return false;
    ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ResizerWindowProc));
    return true;
}

void UnhookWindow(HWND window) {
    if (const auto hooked = WindowMap::Instance().Find(window)) {
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hooked->previous));
    }
    WindowMap::Instance().Drop(window);
}

CWndResizer* ResizerForWindow(HWND window) {
    const auto hooked = WindowMap::Instance().Find(window);
    return hooked ? hooked->engine : nullptr;
}

}  // namespace veltrano
