// The panels of the layout tree: the base panel with its anchoring, the root that stands for
// the client area, and the panel of one child control.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "base/text.h"
#include "layout/geometry.h"
#include "layout/layout_host.h"
#include "layout/wnd_resizer.h"

namespace veltrano {

class CWndResizer::CPanel {
  public:
    static constexpr Size kDefaultMinSize{10, 10};
    static constexpr Size kDefaultMaxSize{100000, 100000};

    explicit CPanel(const Rect& area = {});
    virtual ~CPanel();
    CPanel(const CPanel&) = delete;
    CPanel& operator=(const CPanel&) = delete;

    // Places every child by its anchors inside this panel's area, then arranges that child.
    virtual void Arrange();
    // Takes the child from its parent (false when the parent refuses), records its margins
    // against this panel's current area and appends it.
    virtual bool AddChildPanel(CPanel* child);
    // Unlinks the child; its parent reference stays as it was. False when it is not a child.
    virtual bool RemoveChildPanel(CPanel* child);
    // Adds top when no vertical anchor is given and left when no horizontal one is.
    virtual bool SetAnchorFlags(uint32_t flags);
    // Refused when the size exceeds the maximum size in either dimension.
    virtual bool SetMinExtent(Size size);
    // Refused when the size is below the minimum size in either dimension.
    virtual bool SetMaxExtent(Size size);
    virtual Text Describe() const;
    virtual Text TypeName() const;
    // The attached window, asked up the parent chain; none outside an attached tree.
    virtual LayoutHost* HostWindow() const;

    const Rect& GetArea() const { return area_; }
    void SetArea(const Rect& area) { area_ = area; }
    uint32_t GetAnchor() const { return anchor_; }
    const Text& GetName() const { return name_; }
    void SetName(Text name) { name_ = std::move(name); }
    CPanel* GetParent() const { return parent_; }
    const std::vector<CPanel*>& GetChildren() const { return children_; }
    const Margins& GetMargins() const { return margins_; }
    Size GetMinSize() const { return minSize_; }
    Size GetMaxSize() const { return maxSize_; }

    // Letter case is ignored; an empty name never matches.
    bool HasName(TextView name) const;
    // The first panel of this subtree, depth-first and a panel before its children, for which
    // the test holds; none when there is none.
    CPanel* FindFirst(const std::function<bool(CPanel&)>& test);
    void ForEach(const std::function<void(CPanel&)>& visit);

  private:
    friend class CWndResizer;
    friend class CWndResizer::CSplitPanel;
    friend class CWndResizer::CSplitContainer;

    bool IsAncestorOf(const CPanel& panel) const;

    Rect area_;
    uint32_t anchor_ = AnchorLeft | AnchorTop;
    Text name_;
    CPanel* parent_ = nullptr;
    std::vector<CPanel*> children_;
    Margins margins_;
    Size minSize_ = kDefaultMinSize;
    Size maxSize_ = kDefaultMaxSize;
};

class CWndResizer::CRootPanel : public CPanel {
  public:
    CRootPanel();
    Text TypeName() const override;
    LayoutHost* HostWindow() const override { return window_; }
    void SetHostWindow(LayoutHost* window) { window_ = window; }

  private:
    LayoutHost* window_ = nullptr;
};

class CWndResizer::CUIPanel : public CPanel {
  public:
    // Named with the identifier in decimal.
    CUIPanel(const Rect& area, int32_t controlId);
    Text TypeName() const override;
    int32_t GetControlId() const { return controlId_; }

  private:
    int32_t controlId_;
};

// Letter-case-insensitive equality of panel names (Unicode simple case folding of the Basic
// Multilingual Plane's Latin, Greek and Cyrillic letters).
bool PanelNamesEqual(TextView a, TextView b);

}  // namespace veltrano
