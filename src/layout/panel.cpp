// The base panel: tree links, margins recorded when a child is added, anchoring, limits and
// the diagnostic description.
#include "layout/panel.h"

#include <algorithm>

#include "layout/anchoring.h"

namespace veltrano {

namespace {

void AppendField(Text& out, const char* label, const Text& value) {
    out += Ascii(label);
    out += u'(';
    out += value;
    out += u')';
}

void AppendPair(Text& out, const char* label, const char* a, int64_t va, const char* b,
                int64_t vb) {
    Text inner = Ascii(a) + u":" + DecimalText(va) + u", " + Ascii(b) + u":" + DecimalText(vb);
    AppendField(out, label, inner);
}

}  // namespace

bool PanelNamesEqual(TextView a, TextView b) {
    return EqualsNoCase(a, b);
}

CWndResizer::CPanel::CPanel(const Rect& area) : area_(area) {}

CWndResizer::CPanel::~CPanel() = default;

void CWndResizer::CPanel::Arrange() {
    for (CPanel* child : children_) {
        child->area_ = PlaceChild(area_, child->area_, child->margins_, child->anchor_,
                                  child->minSize_, child->maxSize_);
        child->Arrange();
    }
}

bool CWndResizer::CPanel::AddChildPanel(CPanel* child) {
    // A panel cannot hold itself or one of its ancestors: the tree would never end.
    if (child == nullptr || child == this || child->IsAncestorOf(*this))
        return false;
    if (child->parent_ != nullptr && !child->parent_->RemoveChildPanel(child))
        return false;
    const Rect& own = child->area_;
    child->margins_ = {Offset(own.left, -int64_t{area_.left}), Offset(own.top, -int64_t{area_.top}),
                       Offset(area_.right, -int64_t{own.right}),
                       Offset(area_.bottom, -int64_t{own.bottom})};
    child->parent_ = this;
    children_.push_back(child);
    return true;
}

bool CWndResizer::CPanel::RemoveChildPanel(CPanel* child) {
    const auto it = std::find(children_.begin(), children_.end(), child);
    if (it == children_.end())
        return false;
    children_.erase(it);
    return true;
}

bool CWndResizer::CPanel::SetAnchorFlags(uint32_t flags) {
    if ((flags & (AnchorTop | AnchorBottom | AnchorCenterVertical)) == 0)
        flags |= AnchorTop;
    if ((flags & (AnchorLeft | AnchorRight | AnchorCenterHorizontal)) == 0)
        flags |= AnchorLeft;
    anchor_ = flags;
    return true;
}

bool CWndResizer::CPanel::SetMinExtent(Size size) {
    if (size.width > maxSize_.width || size.height > maxSize_.height)
        return false;
    minSize_ = size;
    return true;
}

bool CWndResizer::CPanel::SetMaxExtent(Size size) {
    if (size.width < minSize_.width || size.height < minSize_.height)
        return false;
    maxSize_ = size;
    return true;
}

Text CWndResizer::CPanel::Describe() const {
    Text out;
    AppendField(out, "Name", name_);
    out += u", ";
    AppendField(out, "Type", TypeName());
    out += u", ";
    AppendField(out, "Anchor", DecimalText(static_cast<int32_t>(anchor_)));
    out += u", ";
    AppendPair(out, "Size", "w", area_.Width(), "h", area_.Height());
    out += u", Area(l:" + DecimalText(area_.left) + u", t:" + DecimalText(area_.top) + u", r:" +
           DecimalText(area_.right) + u", b:" + DecimalText(area_.bottom) + u"), ";
    AppendPair(out, "MinSize", "w", minSize_.width, "h", minSize_.height);
    out += u", ";
    AppendPair(out, "MaxSize", "w", maxSize_.width, "h", maxSize_.height);
    out += u", ";
    AppendField(out, "Parent", parent_ != nullptr ? parent_->name_ : Text(u"NULL"));
    out += u", ";
    AppendField(out, "ChildrenCount", DecimalText(static_cast<int64_t>(children_.size())));
    return out;
}

Text CWndResizer::CPanel::TypeName() const {
    return u"CPanel";
}

LayoutHost* CWndResizer::CPanel::HostWindow() const {
    return parent_ != nullptr ? parent_->HostWindow() : nullptr;
}

bool CWndResizer::CPanel::HasName(TextView name) const {
    return !name.empty() && PanelNamesEqual(name_, name);
}

CWndResizer::CPanel* CWndResizer::CPanel::FindFirst(const std::function<bool(CPanel&)>& test) {
    if (test(*this))
        return this;
    for (CPanel* child : children_) {
        if (CPanel* found = child->FindFirst(test))
            return found;
    }
    return nullptr;
}

void CWndResizer::CPanel::ForEach(const std::function<void(CPanel&)>& visit) {
    visit(*this);
    for (CPanel* child : children_)
        child->ForEach(visit);
}

bool CWndResizer::CPanel::IsAncestorOf(const CPanel& panel) const {
    for (const CPanel* p = panel.parent_; p != nullptr; p = p->parent_) {
        if (p == this)
            return true;
    }
    return false;
}

CWndResizer::CRootPanel::CRootPanel() {
    SetName(u"_root");
}

Text CWndResizer::CRootPanel::TypeName() const {
    return u"CRootPanel";
}

CWndResizer::CUIPanel::CUIPanel(const Rect& area, int32_t controlId)
    : CPanel(area), controlId_(controlId) {
    SetName(DecimalText(controlId));
}

Text CWndResizer::CUIPanel::TypeName() const {
    return u"CUIPanel";
}

}  // namespace veltrano
