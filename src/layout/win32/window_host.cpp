// LayoutHost over a real window: client area and scroll ranges, child control rectangles,
// deferred window positioning, invalidation, mouse capture and cursors, and the window-size
// adjustment of the sizing clamp.
#include "layout/win32/window_host.h"

#include "layout/win32/window_procedure.h"

namespace veltrano {

namespace {

Rect FromRect(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

class WindowHost : public LayoutHost {
  public:
    explicit WindowHost(HWND window) : window_(window) {}

    bool Hook(CWndResizer& engine) override { return HookWindow(window_, engine); }
    void Unhook() override { UnhookWindow(window_); }

    Rect ClientRect() const override {
        RECT r{};
        ::GetClientRect(window_, &r);
        return FromRect(r);
    }

    std::optional<ScrollRange> HorizontalScroll() const override {
        return Scroll(WS_HSCROLL, SB_HORZ);
    }

    std::optional<ScrollRange> VerticalScroll() const override {
        return Scroll(WS_VSCROLL, SB_VERT);
    }

    std::optional<Rect> ControlRect(int32_t controlId) const override {
        HWND control = ::GetDlgItem(window_, controlId);
        if (control == nullptr)
            return std::nullopt;
        RECT r{};
        ::GetWindowRect(control, &r);
        ::MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&r), 2);
        return FromRect(r);
    }

    void MoveControls(const std::vector<ControlPlacement>& placements) override {
        constexpr UINT kFlags = SWP_NOZORDER | SWP_NOACTIVATE;
        HDWP batch = ::BeginDeferWindowPos(static_cast<int>(placements.size()));
        for (const ControlPlacement& p : placements) {
            HWND control = ::GetDlgItem(window_, p.controlId);
            if (control == nullptr)
                continue;
            const Rect& a = p.area;
            if (batch != nullptr) {
                // A failed step frees the batch; the rest is moved one by one.
                batch = ::DeferWindowPos(batch, control, nullptr, a.left, a.top, a.Width(),
                                         a.Height(), kFlags);
            }
            if (batch == nullptr) {
                ::SetWindowPos(control, nullptr, a.left, a.top, a.Width(), a.Height(), kFlags);
            }
        }
        if (batch != nullptr)
            ::EndDeferWindowPos(batch);
    }

    void Invalidate(const Rect& area) override {
        const RECT r{area.left, area.top, area.right, area.bottom};
        ::InvalidateRect(window_, &r, FALSE);
    }

    void InvalidateAll() override { ::InvalidateRect(window_, nullptr, FALSE); }

    void CaptureMouse() override { ::SetCapture(window_); }
    void ReleaseMouse() override { ::ReleaseCapture(); }

    Cursor CurrentCursor() const override { return reinterpret_cast<Cursor>(::GetCursor()); }

    void SetCursor(Cursor cursor) override { ::SetCursor(reinterpret_cast<HCURSOR>(cursor)); }

    void ShowSizeCursor(SplitOrientation orientation) override {
        const wchar_t* id = orientation == SplitSideBySide ? IDC_SIZEWE : IDC_SIZENS;
        ::SetCursor(::LoadCursorW(nullptr, id));
    }

    bool IsWindowAt(Point client) const override {
        POINT p{client.x, client.y};
        if (!::ClientToScreen(window_, &p))
            return false;
        return ::WindowFromPoint(p) == window_;
    }

    Size SizeGripExtent() const override {
        return {::GetSystemMetrics(SM_CXHSCROLL), ::GetSystemMetrics(SM_CYVSCROLL)};
    }

    Size WindowExtentFor(Size client) const override {
        RECT r{0, 0, client.width, client.height};
        const auto style = static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_STYLE));
        const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_EXSTYLE));
        ::AdjustWindowRectEx(&r, style, ::GetMenu(window_) != nullptr, exStyle);
        return {FromRect(r).Width(), FromRect(r).Height()};
    }

  private:
    std::optional<ScrollRange> Scroll(LONG_PTR styleBit, int bar) const {
        if ((::GetWindowLongPtrW(window_, GWL_STYLE) & styleBit) == 0)
            return std::nullopt;
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_RANGE | SIF_POS;
        if (!::GetScrollInfo(window_, bar, &info))
            return std::nullopt;
        return ScrollRange{info.nMax, info.nPos};
    }

    HWND window_;
};

}  // namespace

std::unique_ptr<LayoutHost> MakeWindowHost(HWND window) {
    return std::make_unique<WindowHost>(window);
}

}  // namespace veltrano
