// Making split containers from two panels of the tree, and moving their bars by name.
#include <algorithm>

#include "layout/layout.h"

namespace veltrano {

namespace {

// Takes a panel out of its parent; on success tells where it was so that it can go back.
bool Release(CWndResizer::CPanel& panel, CWndResizer::CPanel*& parent, size_t& index) {
    parent = panel.GetParent();
    if (parent == nullptr)
        return true;
    const auto& siblings = parent->GetChildren();
    index =
        static_cast<size_t>(std::find(siblings.begin(), siblings.end(), &panel) - siblings.begin());
    return parent->RemoveChildPanel(&panel);
}

}  // namespace

CWndResizer::CSplitContainer* CWndResizer::CreateSplit(CPanel* a, CPanel* b) {
    if (a == nullptr || b == nullptr || a == b)
        return nullptr;
    if (dynamic_cast<CSplitPanel*>(a) != nullptr || dynamic_cast<CSplitPanel*>(b) != nullptr) {
        return nullptr;
    }
    // A panel split from its own ancestor (or the root) would end up inside itself.
    if (a == root_.get() || b == root_.get() || a->IsAncestorOf(*b) || b->IsAncestorOf(*a)) {
        return nullptr;
    }
    const Rect areaA = a->GetArea();
    const Rect areaB = b->GetArea();
    if (Intersect(areaA, areaB))
        return nullptr;
    SplitOrientation orientation;
    if (areaA.right < areaB.left) {
        orientation = SplitSideBySide;
    } else if (areaA.bottom < areaB.top) {
        orientation = SplitStacked;
    } else {
        return nullptr;
    }

    CPanel* parentA = nullptr;
    CPanel* parentB = nullptr;
    size_t indexA = 0;
    size_t indexB = 0;
    if (!Release(*a, parentA, indexA))
        return nullptr;
    if (!Release(*b, parentB, indexB)) {
        // Put the first panel back where it was rather than lose it from the tree.
        if (parentA != nullptr) {
            auto& siblings = parentA->children_;
            siblings.insert(
                siblings.begin() + static_cast<std::ptrdiff_t>(std::min(indexA, siblings.size())),
                a);
        }
        return nullptr;
    }

    auto* first = Make<CSplitPanel>(a);
    auto* second = Make<CSplitPanel>(b);
    const Rect all = Union(areaA, areaB);
    const Rect barArea = orientation == SplitSideBySide
                             ? Rect{areaA.right, all.top, areaB.left, all.bottom}
                             : Rect{all.left, areaA.bottom, all.right, areaB.top};
    auto* bar = Make<CSpitterPanel>(barArea, orientation);
    auto* grip = Make<CSplitterGripperPanel>(barArea, orientation);
    bar->AddChildPanel(grip);
    bar->SetGrip(grip);
    return Make<CSplitContainer>(first, bar, second, orientation);
}

void CWndResizer::SetSplitPosition(CSplitContainer& container, int32_t position) {
    container.SetSplitPosition(position);
}

bool CWndResizer::SetSplitPosition(TextView name, int32_t position) {
    auto* container = FindPanelAs<CSplitContainer>(name);
    if (container == nullptr)
        return false;
    SetSplitPosition(*container, position);
    ApplyToWindows(container);
    return true;
}

std::optional<int32_t> CWndResizer::GetSplitPosition(TextView name) const {
    const auto* container = FindPanelAs<CSplitContainer>(name);
    if (container == nullptr)
        return std::nullopt;
    return container->GetSplitPosition();
}

}  // namespace veltrano
