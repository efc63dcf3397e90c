// Hovering over and dragging splitter bars. Hovering holds the mouse capture so that the
// window sees the button press even though the bar lies between child controls.
#include <algorithm>

#include "layout/layout.h"

namespace veltrano {

void CWndResizer::OnMouseMove(uint32_t keys, Point position) {
    TrackSplitter(keys, position);
}

void CWndResizer::OnLButtonUp(uint32_t keys, Point position) {
    TrackSplitter(keys, position);
}

void CWndResizer::OnLButtonDown(Point position) {
    if (hoverBar_ != nullptr)
        TakeGrabOffset(position);
}

void CWndResizer::TrackSplitter(uint32_t keys, Point position) {
    if (host_ == nullptr)
        return;
    const bool leftDown = (keys & kLeftButtonDown) != 0;
    if (hoverBar_ != nullptr && !leftDown &&
        (!hoverBar_->GetArea().Contains(position) || !host_->IsWindowAt(position))) {
        LeaveBar();
    }
    if (hoverBar_ == nullptr && host_->IsWindowAt(position)) {
        CPanel* found = root_->FindFirst([position](CPanel& panel) {
            auto* bar = dynamic_cast<CSpitterPanel*>(&panel);
            if (bar == nullptr || !bar->GetArea().Contains(position))
                return false;
            const CSplitContainer* container = bar->Container();
            return container != nullptr && !container->IsSplitterFixed();
        });
        if (found != nullptr) {
            hoverBar_ = static_cast<CSpitterPanel*>(found);
            host_->CaptureMouse();
            restoreCursor_ = host_->CurrentCursor();
            host_->ShowSizeCursor(hoverBar_->GetOrientation());
        }
    }
    if (hoverBar_ != nullptr && leftDown) {
        CSplitContainer* container = hoverBar_->Container();
        if (container == nullptr)
            return;
        const int32_t along =
            hoverBar_->GetOrientation() == SplitSideBySide ? position.x : position.y;
        SetSplitPosition(*container, Offset(along, -int64_t{grabOffset_}));
        TakeGrabOffset(position);
        ApplyToWindows(container);
    }
}

void CWndResizer::LeaveBar() {
    host_->ReleaseMouse();
    host_->SetCursor(restoreCursor_);
    hoverBar_ = nullptr;
}

void CWndResizer::TakeGrabOffset(Point position) {
    const CSplitContainer* container = hoverBar_->Container();
    if (container == nullptr)
        return;
    const bool sideBySide = hoverBar_->GetOrientation() == SplitSideBySide;
    const Rect& bar = hoverBar_->GetArea();
    const int64_t offset =
        sideBySide ? int64_t{position.x} - bar.left : int64_t{position.y} - bar.top;
    const int32_t barSize = container->GetBarSize();
    grabOffset_ = static_cast<int32_t>(std::clamp<int64_t>(offset, 0, std::max(barSize, 0)));
}

}  // namespace veltrano
