// What the layout engine asks of the window it is attached to. The Win32 side implements it
// over a real window; tests implement it over plain data.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "layout/geometry.h"

namespace veltrano {

class CWndResizer;

class LayoutHost {
  public:
    using Cursor = std::uintptr_t;

    struct ScrollRange {
        int32_t maximum = 0;
        int32_t position = 0;
    };

    struct ControlPlacement {
        int32_t controlId = 0;
        Rect area;
    };

    virtual ~LayoutHost() = default;

    // Starts and stops handing the window's messages to the engine (window map and window
    // procedure on Win32). Hook fails when the window is gone or already has an engine.
    virtual bool Hook(CWndResizer& engine) = 0;
    virtual void Unhook() = 0;

    virtual Rect ClientRect() const = 0;
    // Present only when the window has the scroll bar style of that direction.
    virtual std::optional<ScrollRange> HorizontalScroll() const = 0;
    virtual std::optional<ScrollRange> VerticalScroll() const = 0;
    // A child control's window rectangle in client coordinates; none when there is no such child.
    virtual std::optional<Rect> ControlRect(int32_t controlId) const = 0;
    // Moves all the controls in one batch, keeping their Z-order and activation.
    virtual void MoveControls(const std::vector<ControlPlacement>& placements) = 0;
    // Marks for repainting without erasing the background.
    virtual void Invalidate(const Rect& area) = 0;
    virtual void InvalidateAll() = 0;

    virtual void CaptureMouse() = 0;
    virtual void ReleaseMouse() = 0;
    virtual Cursor CurrentCursor() const = 0;
    virtual void SetCursor(Cursor cursor) = 0;
    // The system's west-east cursor for a side-by-side split, north-south for a stacked one.
    virtual void ShowSizeCursor(SplitOrientation orientation) = 0;
    // Whether the window under a client position is the attached window itself (not a child,
    // not another window covering it).
    virtual bool IsWindowAt(Point client) const = 0;

    // The size of the window's size grip (the scroll bar metrics).
    virtual Size SizeGripExtent() const = 0;
    // The window size that gives a client area of the given size with the window's current
    // styles and menu.
    virtual Size WindowExtentFor(Size client) const = 0;
};

}  // namespace veltrano
