// Panels that paint themselves: the window's size grip and the dotted grip of a splitter bar.
#pragma once

#include <cstdint>
#include <memory>

#include "layout/canvas.h"
#include "layout/panel.h"

namespace veltrano {

class CWndResizer::CVisualPanel : public CPanel {
  public:
    explicit CVisualPanel(const Rect& area = {});
    // Invalidates the previous and the new area (without erasing) and remembers the new one.
    void Arrange() override;
    Text TypeName() const override;
    virtual void Paint(Canvas& canvas);

    bool IsVisible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }
    const Rect& GetLastArea() const { return lastArea_; }

  private:
    bool visible_ = false;
    Rect lastArea_;
};

// Drawn with the "SCROLLBAR" theme, or as the classic size grip without visual styles.
class CWndResizer::CGripperPanel : public CVisualPanel {
  public:
    static constexpr int32_t kThemePart = 10;      // SBP_SIZEBOX
    static constexpr int32_t kThemeState = 5;      // SZB_RIGHTALIGN
    static constexpr uint32_t kFrameScroll = 3;    // DFC_SCROLL
    static constexpr uint32_t kFrameSizeGrip = 8;  // DFCS_SCROLLSIZEGRIP

    explicit CGripperPanel(const Rect& area);
    ~CGripperPanel() override;
    Text TypeName() const override;
    void Paint(Canvas& canvas) override;

    bool HasTheme() const { return theme_ != nullptr; }

  private:
    std::unique_ptr<Canvas::Theme> theme_;
    int32_t part_ = kThemePart;
    int32_t state_ = kThemeState;
    Text themeClass_ = u"SCROLLBAR";
};

// Embossed dots across the middle of a splitter bar.
class CWndResizer::CSplitterGripperPanel : public CVisualPanel {
  public:
    static constexpr int32_t kLength = 12;
    static constexpr int32_t kThickness = 3;
    static constexpr uint32_t kHighlightColour = 0xFFFFFF;

    // Centred in the bar's area; hidden.
    CSplitterGripperPanel(const Rect& barArea, SplitOrientation orientation);
    Text TypeName() const override;
    void Paint(Canvas& canvas) override;
    SplitOrientation GetOrientation() const { return orientation_; }

  private:
    SplitOrientation orientation_;
};

// The 2 x 2 dots of a splitter grip whose first dot starts at the given corner, stepping down
// a vertical bar's grip or across a horizontal one's while they stay inside the grip.
std::vector<Rect> SplitterGripDots(const Rect& grip, SplitOrientation orientation, Point start);

}  // namespace veltrano
