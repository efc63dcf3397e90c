// CWndResizer: keeps the child controls of a resizable window in place. It attaches to one
// window, holds a tree of anchored panels in the window's client coordinates, splits panels
// with draggable bars, and lays the tree out and moves the controls on every size change.
//
// Include "layout/layout.h" for the panel classes too. Typical use by a dialog (Win32 side:
// MakeWindowHost from "layout/win32/window_host.h"):
//
//     layout.Attach(MakeWindowHost(hwnd));            // hooks the window procedure
//     auto* split = layout.CreateSplit(layout.UIPanelFor(1000), layout.UIPanelFor(1009));
//     split->SetName(u"MainSplitter");
//     layout.Root()->AddChildPanel(split);
//     split->SetAnchorFlags(AnchorAll);
//     split->SetGripVisible(true);
//     layout.UIPanelFor(1021)->SetAnchorFlags(AnchorRight | AnchorBottom);
//     layout.FindPanelAs<CWndResizer::CVisualPanel>(u"_resizeGrip")->SetVisible(true);
//     layout.Relayout();
//     ...
//     layout.SetSplitPosition(u"MainSplitter", 300);  // bottom edge of the list
//     int32_t position = layout.GetSplitPosition(u"MainSplitter").value_or(0);
//
// Panels belong to the engine that made them; the tree only links them, so a panel pointer
// stays valid until Detach (or the engine's end) even when the panel leaves the tree.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "base/text.h"
#include "layout/canvas.h"
#include "layout/geometry.h"
#include "layout/layout_host.h"

namespace veltrano {

// Key-state flag of the mouse messages: the left button is down.
constexpr uint32_t kLeftButtonDown = 0x0001;

// The edge or corner a WM_SIZING message drags (WMSZ_ values).
enum SizingEdge : int32_t {
    SizingLeft = 1,
    SizingRight = 2,
    SizingTop = 3,
    SizingTopLeft = 4,
    SizingTopRight = 5,
    SizingBottom = 6,
    SizingBottomLeft = 7,
    SizingBottomRight = 8,
};

class CWndResizer {
  public:
    class CPanel;
    class CRootPanel;
    class CUIPanel;
    class CVisualPanel;
    class CGripperPanel;
    class CSplitterGripperPanel;
    class CSpitterPanel;
    class CSplitPanel;
    class CSplitContainer;

    CWndResizer();
    ~CWndResizer();  // detaches from a window it is still attached to
    CWndResizer(const CWndResizer&) = delete;
    CWndResizer& operator=(const CWndResizer&) = delete;

    // Takes the client area into the root, adds the hidden size grip "_resizeGrip" and hooks
    // the window. False when already attached, without a host, or when the hook fails.
    bool Attach(std::unique_ptr<LayoutHost> host);
    // Unhooks the window and frees every panel below the root. False when not attached.
    bool Detach();
    bool IsAttached() const { return host_ != nullptr; }
    LayoutHost* Host() const { return host_.get(); }

    CRootPanel* Root() const { return root_.get(); }
    // Depth-first from the root, a panel before its children; names ignore letter case.
    CPanel* FindPanel(TextView name) const;
    template <typename T>
    T* FindPanelAs(TextView name) const {
        return dynamic_cast<T*>(FindPanel(name));
    }
    // The panel named after the control identifier (its split wrapper once it is split), made
    // and added to the root on first use; none when the window has no such control.
    CPanel* UIPanelFor(int32_t controlId);

    // Client area into the root, clamp the root to its limits, arrange, move the controls.
    void Relayout();
    // Moves the controls of the panel's subtree (the whole tree for none) in one batch.
    void ApplyToWindows(CPanel* panel);

    // Splits two panels that lie side by side or one above the other; none when they cannot
    // be split. The caller names the container and adds it to a parent.
    CSplitContainer* CreateSplit(CPanel* first, CPanel* second);
    // Puts the first panel's far edge (right, or bottom when stacked) at the client position.
    void SetSplitPosition(CSplitContainer& container, int32_t position);
    // Also moves the controls. False when the name is not a split container's.
    bool SetSplitPosition(TextView name, int32_t position);
    std::optional<int32_t> GetSplitPosition(TextView name) const;

    // The window's messages, as its window procedure hands them on.
    void OnMouseMove(uint32_t keys, Point position);
    void OnLButtonUp(uint32_t keys, Point position);
    void OnLButtonDown(Point position);
    // Keeps the dragged window rectangle inside the root's limits (converted to window size).
    void OnSizing(int32_t edge, Rect& windowRect) const;
    // Paints every visible visual panel, a panel before its children.
    void PaintVisualPanels(Canvas& canvas);

    // The splitter bar under the mouse (hovering or dragging), if any.
    CSpitterPanel* HoverBar() const { return hoverBar_; }

  private:
    // A new panel kept by the engine until Detach.
    template <typename T, typename... Args>
    T* Make(Args&&... args) {
        auto panel = std::make_unique<T>(std::forward<Args>(args)...);
        T* made = panel.get();
        panels_.push_back(std::move(panel));
        return made;
    }
    Rect ClientArea() const;
    void TrackSplitter(uint32_t keys, Point position);
    void LeaveBar();
    void TakeGrabOffset(Point position);

    std::unique_ptr<LayoutHost> host_;
    std::unique_ptr<CRootPanel> root_;
    std::vector<std::unique_ptr<CPanel>> panels_;  // every panel made below the root
    CSpitterPanel* hoverBar_ = nullptr;
    LayoutHost::Cursor restoreCursor_ = 0;
    int32_t grabOffset_ = 0;
};

// Keeps a window rectangle being dragged at an edge or corner between the window sizes given;
// the dragged edges move, the others stay.
void ClampSizingRect(int32_t edge, Rect& windowRect, Size minimum, Size maximum);

}  // namespace veltrano
