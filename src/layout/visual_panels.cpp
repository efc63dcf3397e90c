// Visual panels repaint where they were and where they go; the size grip paints the theme's
// size box or the classic one, the splitter grip a row of embossed dots.
#include "layout/visual_panels.h"

#include "layout/anchoring.h"

namespace veltrano {

CWndResizer::CVisualPanel::CVisualPanel(const Rect& area) : CPanel(area) {}

void CWndResizer::CVisualPanel::Arrange() {
    if (LayoutHost* window = HostWindow()) {
        window->Invalidate(lastArea_);
        window->Invalidate(GetArea());
    }
    lastArea_ = GetArea();
    CPanel::Arrange();
}

Text CWndResizer::CVisualPanel::TypeName() const {
    return u"CVisualPanel";
}

void CWndResizer::CVisualPanel::Paint(Canvas&) {}

CWndResizer::CGripperPanel::CGripperPanel(const Rect& area) : CVisualPanel(area) {}

// The theme data goes with the panel.
CWndResizer::CGripperPanel::~CGripperPanel() = default;

Text CWndResizer::CGripperPanel::TypeName() const {
    return u"CGripperPanel";
}

void CWndResizer::CGripperPanel::Paint(Canvas& canvas) {
    if (theme_ == nullptr)
        theme_ = canvas.OpenTheme(themeClass_);
    if (theme_ != nullptr) {
        canvas.DrawThemeBackground(*theme_, part_, state_, GetArea(), GetArea());
    } else {
        canvas.DrawFrameControl(GetArea(), kFrameScroll, kFrameSizeGrip);
    }
}

namespace {

Rect CentredGrip(const Rect& bar, SplitOrientation orientation) {
    const bool vertical = orientation == SplitSideBySide;
    const int32_t width = vertical ? CWndResizer::CSplitterGripperPanel::kThickness
                                   : CWndResizer::CSplitterGripperPanel::kLength;
    const int32_t height = vertical ? CWndResizer::CSplitterGripperPanel::kLength
                                    : CWndResizer::CSplitterGripperPanel::kThickness;
    const int32_t left = bar.left + (bar.Width() - width) / 2;
    const int32_t top = bar.top + (bar.Height() - height) / 2;
    return {left, top, left + width, top + height};
}

}  // namespace

CWndResizer::CSplitterGripperPanel::CSplitterGripperPanel(const Rect& barArea,
                                                          SplitOrientation orientation)
    : CVisualPanel(CentredGrip(barArea, orientation)), orientation_(orientation) {
    SetAnchorFlags(AnchorCenterHorizontal | AnchorCenterVertical);
    SetMinExtent({2, 2});
}

Text CWndResizer::CSplitterGripperPanel::TypeName() const {
    return u"CSplitterGripperPanel";
}

void CWndResizer::CSplitterGripperPanel::Paint(Canvas& canvas) {
    const Rect& grip = GetArea();
    const Canvas::Pen previous = canvas.SelectSolidPen(kHighlightColour);
    for (const Rect& dot : SplitterGripDots(grip, orientation_, {grip.left + 1, grip.top + 1})) {
        canvas.DrawRectangle(dot);
    }
    canvas.SelectSolidPen(canvas.ButtonShadowColour());
    for (const Rect& dot : SplitterGripDots(grip, orientation_, {grip.left, grip.top})) {
        canvas.DrawRectangle(dot);
    }
    canvas.RestorePen(previous);
}

std::vector<Rect> SplitterGripDots(const Rect& grip, SplitOrientation orientation, Point start) {
    constexpr int64_t kDot = 2;
    constexpr int64_t kStep = 4;
    const bool down = orientation == SplitSideBySide;
    const int64_t first = down ? start.y : start.x;
    const int64_t end = down ? grip.bottom : grip.right;
    std::vector<Rect> dots;
    for (int64_t at = first; at + kDot <= end; at += kStep) {
        const auto from = static_cast<int32_t>(at);
        const auto to = static_cast<int32_t>(at + kDot);
        dots.push_back(down ? Rect{start.x, from, Offset(start.x, kDot), to}
                            : Rect{from, start.y, to, Offset(start.y, kDot)});
    }
    return dots;
}

}  // namespace veltrano
