// Split containers lay their two sides out by anchors first, then give the first side its
// share (by the ratio, or all the change when the second side is fixed) and keep both sides
// at their minimum extent, the second one first.
#include "layout/split_container.h"

#include <cmath>
#include <limits>

#include "layout/anchoring.h"

namespace veltrano {

namespace {

// The ratio's share of an extent, truncated toward zero. The tolerance keeps a position that
// was turned into a ratio from coming back one pixel short (49 / 100 * 100 is 48.999...).
int32_t Share(double ratio, int32_t extent) {
    const double share = ratio * extent;
    if (!std::isfinite(share))
        return 0;
    constexpr double kTolerance = 1e-7;
    const double rounded =
        share >= 0 ? std::floor(share + kTolerance) : std::ceil(share - kTolerance);
    constexpr double kLimit = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::clamp(rounded, -kLimit, kLimit));
}

}  // namespace

CWndResizer::CSpitterPanel::CSpitterPanel(const Rect& area, SplitOrientation orientation)
    : CPanel(area), orientation_(orientation) {}

Text CWndResizer::CSpitterPanel::TypeName() const {
    return u"CSpitterPanel";
}

CWndResizer::CSplitContainer* CWndResizer::CSpitterPanel::Container() const {
    return dynamic_cast<CSplitContainer*>(GetParent());
}

CWndResizer::CSplitPanel::CSplitPanel(CPanel* wrapped) : CPanel(wrapped->area_), wrapped_(wrapped) {
    name_ = std::move(wrapped->name_);
    wrapped->name_.clear();
    minSize_ = wrapped->minSize_;
    maxSize_ = wrapped->maxSize_;
    wrapped->anchor_ = AnchorAll;
    wrapped->margins_ = {};
    wrapped->parent_ = this;
    children_.push_back(wrapped);
}

bool CWndResizer::CSplitPanel::AddChildPanel(CPanel* child) {
    return wrapped_->AddChildPanel(child);
}

bool CWndResizer::CSplitPanel::RemoveChildPanel(CPanel* child) {
    return wrapped_->RemoveChildPanel(child);
}

bool CWndResizer::CSplitPanel::SetAnchorFlags(uint32_t) {
    return false;
}

Text CWndResizer::CSplitPanel::TypeName() const {
    return u"CSplitPanel";
}

CWndResizer::CSplitContainer::CSplitContainer(CSplitPanel* first, CSpitterPanel* bar,
                                              CSplitPanel* second, SplitOrientation orientation)
    : CPanel(Union(first->area_, second->area_)),
      orientation_(orientation),
      first_(first),
      second_(second),
      bar_(bar) {
    barSize_ = Extent(bar->area_);
    if (orientation == SplitSideBySide) {
        first->anchor_ = AnchorLeft | AnchorTop | AnchorBottom;
        second->anchor_ = AnchorTop | AnchorRight | AnchorBottom;
    } else {
        first->anchor_ = AnchorLeft | AnchorTop | AnchorRight;
        second->anchor_ = AnchorLeft | AnchorRight | AnchorBottom;
    }
    CPanel::AddChildPanel(first);
    CPanel::AddChildPanel(bar);
    CPanel::AddChildPanel(second);
    TakeRatio();
}

void CWndResizer::CSplitContainer::Arrange() {
    CPanel::Arrange();
    if (Extent(area_) < MinExtent(*this))
        return;
    CPanel& first = *first_;
    CPanel& second = *second_;
    if (fixedPanel_ == FixedSecond) {
        Far(first) = Offset(Near(second), -int64_t{barSize_});
        if (Extent(first.area_) < MinExtent(first)) {
            Far(first) = Offset(Near(first), MinExtent(first));
            Near(second) = Offset(Far(first), barSize_);
        }
    } else {
        if (fixedPanel_ == FixedNone) {
            Far(first) = Offset(Near(first), Share(ratio_, Extent(area_)));
            if (Extent(first.area_) < MinExtent(first)) {
                Far(first) = Offset(Near(first), MinExtent(first));
            }
        }
        Near(second) = Offset(Far(first), barSize_);
        if (Extent(second.area_) < MinExtent(second)) {
            Near(second) = Offset(Far(second), -int64_t{MinExtent(second)});
            Far(first) = Offset(Near(second), -int64_t{barSize_});
        }
    }
    if (orientation_ == SplitSideBySide) {
        bar_->area_ = {first.area_.right, area_.top, second.area_.left, area_.bottom};
    } else {
        bar_->area_ = {area_.left, first.area_.bottom, area_.right, second.area_.top};
    }
    first.Arrange();
    second.Arrange();
    bar_->Arrange();
}

bool CWndResizer::CSplitContainer::AddChildPanel(CPanel* child) {
    if (children_.size() >= 3)
        return false;
    return CPanel::AddChildPanel(child);
}

bool CWndResizer::CSplitContainer::RemoveChildPanel(CPanel*) {
    return false;
}

Text CWndResizer::CSplitContainer::TypeName() const {
    return u"CSplitContainer";
}

void CWndResizer::CSplitContainer::SetSplitPosition(int32_t position) {
    const int16_t fixed = fixedPanel_;
    fixedPanel_ = FixedNone;
    Far(*first_) = position;
    Near(*second_) = Offset(position, barSize_);
    TakeRatio();
    Arrange();
    fixedPanel_ = fixed;
    TakeRatio();
}

int32_t CWndResizer::CSplitContainer::GetSplitPosition() const {
    return Far(*first_);
}

bool CWndResizer::CSplitContainer::SetFixedPanel(int16_t fixedPanel) {
    if (fixedPanel != FixedNone && fixedPanel != FixedFirst && fixedPanel != FixedSecond) {
        return false;
    }
    fixedPanel_ = fixedPanel;
    return true;
}

void CWndResizer::CSplitContainer::SetGripVisible(bool visible) {
    if (CSplitterGripperPanel* grip = bar_->GetGrip())
        grip->SetVisible(visible);
}

int32_t CWndResizer::CSplitContainer::Extent(const Rect& area) const {
    return orientation_ == SplitSideBySide ? area.Width() : area.Height();
}

int32_t& CWndResizer::CSplitContainer::Near(CPanel& panel) const {
    return orientation_ == SplitSideBySide ? panel.area_.left : panel.area_.top;
}

int32_t& CWndResizer::CSplitContainer::Far(CPanel& panel) const {
    return orientation_ == SplitSideBySide ? panel.area_.right : panel.area_.bottom;
}

int32_t CWndResizer::CSplitContainer::MinExtent(const CPanel& panel) const {
    return orientation_ == SplitSideBySide ? panel.minSize_.width : panel.minSize_.height;
}

// A container squeezed to nothing keeps the ratio it had.
void CWndResizer::CSplitContainer::TakeRatio() {
    const int32_t extent = Extent(area_);
    if (extent > 0)
        ratio_ = static_cast<double>(Extent(first_->area_)) / extent;
}

}  // namespace veltrano
