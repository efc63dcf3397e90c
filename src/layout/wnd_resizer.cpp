// The engine's attachment to its window, the panel lookups, the resize cycle, and the moving
// and painting it does for the window.
#include "layout/wnd_resizer.h"

#include "layout/layout.h"

namespace veltrano {

CWndResizer::CWndResizer() : root_(std::make_unique<CRootPanel>()) {}

CWndResizer::~CWndResizer() {
    Detach();
}

bool CWndResizer::Attach(std::unique_ptr<LayoutHost> host) {
    if (host == nullptr || host_ != nullptr)
        return false;
    host_ = std::move(host);
    root_->SetHostWindow(host_.get());
    root_->SetArea(ClientArea());

    const Rect client = root_->GetArea();
    const Size grip = host_->SizeGripExtent();
    auto* gripper = Make<CGripperPanel>(Rect{Offset(client.right, -int64_t{grip.width}),
                                             Offset(client.bottom, -int64_t{grip.height}),
                                             client.right, client.bottom});
    gripper->SetAnchorFlags(AnchorRight | AnchorBottom);
    gripper->SetName(u"_resizeGrip");
    root_->AddChildPanel(gripper);

    if (!host_->Hook(*this)) {
        root_->children_.clear();
        panels_.clear();
        root_->SetHostWindow(nullptr);
        host_.reset();
        return false;
    }
    return true;
}

bool CWndResizer::Detach() {
    if (host_ == nullptr)
        return false;
    if (hoverBar_ != nullptr) {
        host_->ReleaseMouse();
        hoverBar_ = nullptr;
    }
    host_->Unhook();
    root_->children_.clear();
    panels_.clear();
    root_->SetHostWindow(nullptr);
    host_.reset();
    return true;
}

CWndResizer::CPanel* CWndResizer::FindPanel(TextView name) const {
    return root_->FindFirst([name](CPanel& panel) { return panel.HasName(name); });
}

CWndResizer::CPanel* CWndResizer::UIPanelFor(int32_t controlId) {
    if (CPanel* panel = FindPanel(DecimalText(controlId)))
        return panel;
    if (host_ == nullptr)
        return nullptr;
    const std::optional<Rect> area = host_->ControlRect(controlId);
    if (!area)
        return nullptr;
    auto* panel = Make<CUIPanel>(*area, controlId);
    root_->AddChildPanel(panel);
    return panel;
}

// The client rectangle, stretched to the scroll range and shifted by the scroll position in a
// direction that scrolls.
Rect CWndResizer::ClientArea() const {
    Rect area = host_->ClientRect();
    if (const auto scroll = host_->HorizontalScroll()) {
        area.right = Offset(area.left, scroll->maximum);
        area.left = Offset(area.left, -int64_t{scroll->position});
        area.right = Offset(area.right, -int64_t{scroll->position});
    }
    if (const auto scroll = host_->VerticalScroll()) {
        area.bottom = Offset(area.top, scroll->maximum);
        area.top = Offset(area.top, -int64_t{scroll->position});
        area.bottom = Offset(area.bottom, -int64_t{scroll->position});
    }
    return area;
}

void CWndResizer::Relayout() {
    if (host_ == nullptr)
        return;
    Rect area = ClientArea();
    const Size minimum = root_->GetMinSize();
    const Size maximum = root_->GetMaxSize();
    if (area.Width() < minimum.width)
        area.right = Offset(area.left, minimum.width);
    if (area.Width() > maximum.width)
        area.right = Offset(area.left, maximum.width);
    if (area.Height() < minimum.height)
        area.bottom = Offset(area.top, minimum.height);
    if (area.Height() > maximum.height)
        area.bottom = Offset(area.top, maximum.height);
    root_->SetArea(area);
    root_->Arrange();
    ApplyToWindows(root_.get());
}

void CWndResizer::ApplyToWindows(CPanel* panel) {
    if (host_ == nullptr)
        return;
    CPanel* top = panel != nullptr ? panel : root_.get();
    std::vector<LayoutHost::ControlPlacement> placements;
    top->ForEach([&placements](CPanel& p) {
        if (auto* control = dynamic_cast<CUIPanel*>(&p)) {
            placements.push_back({control->GetControlId(), control->GetArea()});
        }
    });
    if (placements.empty())
        return;
    host_->MoveControls(placements);
    if (panel != nullptr) {
        host_->Invalidate(panel->GetArea());
    } else {
        host_->InvalidateAll();
    }
}

void CWndResizer::OnSizing(int32_t edge, Rect& windowRect) const {
    if (host_ == nullptr)
        return;
    ClampSizingRect(edge, windowRect, host_->WindowExtentFor(root_->GetMinSize()),
                    host_->WindowExtentFor(root_->GetMaxSize()));
}

void CWndResizer::PaintVisualPanels(Canvas& canvas) {
    std::vector<CVisualPanel*> visuals;
    root_->ForEach([&visuals](CPanel& p) {
        if (auto* visual = dynamic_cast<CVisualPanel*>(&p))
            visuals.push_back(visual);
    });
    for (CVisualPanel* visual : visuals) {
        if (visual->IsVisible())
            visual->Paint(canvas);
    }
}

}  // namespace veltrano
