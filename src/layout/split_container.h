// Split containers: two panels side by side or one above the other, wrapped in split panels,
// with a splitter bar between them that keeps their sizes by a ratio or a fixed side.
#pragma once

#include <cstdint>

#include "layout/panel.h"
#include "layout/visual_panels.h"

namespace veltrano {

class CWndResizer::CSpitterPanel : public CPanel {
  public:
    CSpitterPanel(const Rect& area, SplitOrientation orientation);
    Text TypeName() const override;
    SplitOrientation GetOrientation() const { return orientation_; }
    CSplitterGripperPanel* GetGrip() const { return grip_; }
    void SetGrip(CSplitterGripperPanel* grip) { grip_ = grip; }
    // The split container the bar belongs to; none outside a split.
    CSplitContainer* Container() const;

  private:
    SplitOrientation orientation_;
    CSplitterGripperPanel* grip_ = nullptr;
};

// Takes over the wrapped panel's area, name and limits; the wrapped panel keeps an empty name
// and fills the wrapper.
class CWndResizer::CSplitPanel : public CPanel {
  public:
    explicit CSplitPanel(CPanel* wrapped);
    // Both go to the wrapped panel.
    bool AddChildPanel(CPanel* child) override;
    bool RemoveChildPanel(CPanel* child) override;
    // The wrapper's anchors belong to its split.
    bool SetAnchorFlags(uint32_t flags) override;
    Text TypeName() const override;
    CPanel* GetWrapped() const { return wrapped_; }

  private:
    CPanel* wrapped_;
};

class CWndResizer::CSplitContainer : public CPanel {
  public:
    // The container over both panels' union with the bar in the gap between them.
    CSplitContainer(CSplitPanel* first, CSpitterPanel* bar, CSplitPanel* second,
                    SplitOrientation orientation);

    // Anchors first, then keeps the sides by the fixed panel or the ratio and their minimums.
    void Arrange() override;
    // Refused once the container holds its two sides and the bar.
    bool AddChildPanel(CPanel* child) override;
    // Always refused: a side of a split stays in it.
    bool RemoveChildPanel(CPanel* child) override;
    Text TypeName() const override;

    // The first panel's far edge goes to the client position, then the container is arranged.
    void SetSplitPosition(int32_t position);
    // The first panel's right edge (side by side) or bottom edge (stacked).
    int32_t GetSplitPosition() const;

    SplitOrientation GetOrientation() const { return orientation_; }
    bool IsSplitterFixed() const { return splitterFixed_ != 0; }
    void SetSplitterFixed(bool fixed) { splitterFixed_ = fixed ? 1 : 0; }
    int16_t GetFixedPanel() const { return fixedPanel_; }
    // 0 none, 1 the first panel keeps its size, 2 the second does; others are refused.
    bool SetFixedPanel(int16_t fixedPanel);
    double GetRatio() const { return ratio_; }
    int32_t GetBarSize() const { return barSize_; }
    CSplitPanel* GetFirst() const { return first_; }
    CSplitPanel* GetSecond() const { return second_; }
    CSpitterPanel* GetBar() const { return bar_; }
    // The visibility of the dots on the bar.
    void SetGripVisible(bool visible);

  private:
    // The container's extent along the split and a panel's near and far edges on that axis.
    int32_t Extent(const Rect& area) const;
    int32_t& Near(CPanel& panel) const;
    int32_t& Far(CPanel& panel) const;
    int32_t MinExtent(const CPanel& panel) const;
    void TakeRatio();

    SplitOrientation orientation_;
    int32_t splitterFixed_ = 0;
    int16_t fixedPanel_ = FixedNone;
    double ratio_ = 0.0;
    int32_t barSize_ = 1;
    CSplitPanel* first_;
    CSplitPanel* second_;
    CSpitterPanel* bar_;
};

}  // namespace veltrano
