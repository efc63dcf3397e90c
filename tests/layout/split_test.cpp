#include <gtest/gtest.h>

#include "layout/layout_fixture.h"

namespace veltrano {
namespace {

using testing::LayoutFixture;
using CPanel = CWndResizer::CPanel;
using CSplitContainer = CWndResizer::CSplitContainer;

class SplitTest : public LayoutFixture {
  protected:
    void SetUp() override {
        window.controls[1] = {10, 10, 200, 300};    // left
        window.controls[2] = {210, 10, 790, 300};   // right of 1, 10 pixels apart
        window.controls[3] = {10, 310, 790, 490};   // below both
        window.controls[4] = {200, 320, 300, 400};  // touches 1's right edge, below it
        window.controls[5] = {150, 200, 400, 280};  // overlaps 1 and 2
        Attach();
    }

    CSplitContainer* Split(int32_t first, int32_t second, const char16_t* name) {
        CSplitContainer* split =
            layout.CreateSplit(layout.UIPanelFor(first), layout.UIPanelFor(second));
        if (split != nullptr) {
            split->SetName(name);
            layout.Root()->AddChildPanel(split);
            split->SetAnchorFlags(AnchorAll);
        }
        return split;
    }
};

TEST_F(SplitTest, SideBySideSplitWrapsBothPanels) {
    CPanel* left = layout.UIPanelFor(1);
    CPanel* right = layout.UIPanelFor(2);
    CSplitContainer* split = Split(1, 2, u"Top");
    ASSERT_NE(split, nullptr);
    EXPECT_EQ(split->GetOrientation(), SplitSideBySide);
    EXPECT_EQ(split->GetArea(), (Rect{10, 10, 790, 300}));
    EXPECT_EQ(split->GetBarSize(), 10);
    EXPECT_EQ(split->GetBar()->GetArea(), (Rect{200, 10, 210, 300}));
    EXPECT_DOUBLE_EQ(split->GetRatio(), 190.0 / 780.0);
    EXPECT_EQ(split->GetFixedPanel(), FixedNone);
    EXPECT_FALSE(split->IsSplitterFixed());

    // Children: first wrapper, bar, second wrapper; the wrappers took the names.
    const auto& children = split->GetChildren();
    ASSERT_EQ(children.size(), 3u);
    EXPECT_EQ(children[0], split->GetFirst());
    EXPECT_EQ(children[1], split->GetBar());
    EXPECT_EQ(children[2], split->GetSecond());
    EXPECT_EQ(split->GetFirst()->GetWrapped(), left);
    EXPECT_EQ(split->GetFirst()->GetAnchor(), 11u);
    EXPECT_EQ(split->GetSecond()->GetAnchor(), 14u);
    EXPECT_EQ(layout.UIPanelFor(1), split->GetFirst());
    EXPECT_EQ(layout.FindPanel(u"2")->TypeName(), u"CSplitPanel");
    EXPECT_TRUE(left->GetName().empty());
    EXPECT_EQ(left->GetAnchor(), 15u);
    EXPECT_EQ(left->GetMargins(), (Margins{}));
    EXPECT_EQ(right->GetParent(), split->GetSecond());

    // The bar's grip: 3 x 12, centred, hidden.
    CWndResizer::CSplitterGripperPanel* grip = split->GetBar()->GetGrip();
    ASSERT_NE(grip, nullptr);
    EXPECT_EQ(grip->GetArea(), (Rect{203, 149, 206, 161}));
    EXPECT_EQ(grip->GetAnchor(), 48u);
    EXPECT_EQ(grip->GetMinSize(), (Size{2, 2}));
    EXPECT_FALSE(grip->IsVisible());
    EXPECT_EQ(grip->GetParent(), split->GetBar());
    EXPECT_EQ(split->GetBar()->TypeName(), u"CSpitterPanel");
    EXPECT_EQ(split->TypeName(), u"CSplitContainer");
    EXPECT_EQ(grip->TypeName(), u"CSplitterGripperPanel");
}

TEST_F(SplitTest, StackedWhenTheFirstLiesAbove) {
    CSplitContainer* split = Split(1, 3, u"Stack");
    ASSERT_NE(split, nullptr);
    EXPECT_EQ(split->GetOrientation(), SplitStacked);
    EXPECT_EQ(split->GetBar()->GetArea(), (Rect{10, 300, 790, 310}));
    EXPECT_EQ(split->GetFirst()->GetAnchor(), 7u);
    EXPECT_EQ(split->GetSecond()->GetAnchor(), 13u);
    EXPECT_EQ(split->GetBar()->GetGrip()->GetArea().Width(), 12);
}

TEST_F(SplitTest, PanelsThatCannotBeSplitAreRefused) {
    CPanel* one = layout.UIPanelFor(1);
    EXPECT_EQ(layout.CreateSplit(one, layout.UIPanelFor(5)), nullptr);  // overlapping
    EXPECT_EQ(layout.CreateSplit(layout.UIPanelFor(2), one), nullptr);  // second lies first
    // Touching at x = 200 leaves no gap for a bar, and 6 does not lie below 1 either.
    window.controls[6] = {200, 100, 260, 150};
    EXPECT_EQ(layout.CreateSplit(one, layout.UIPanelFor(6)), nullptr);
    EXPECT_EQ(layout.CreateSplit(one, one), nullptr);
    EXPECT_EQ(layout.CreateSplit(one, nullptr), nullptr);
    EXPECT_EQ(layout.CreateSplit(layout.Root(), layout.UIPanelFor(2)), nullptr);
    // Every refusal leaves the panels where they were.
    EXPECT_EQ(one->GetParent(), layout.Root());
    EXPECT_EQ(layout.Root()->GetChildren().size(), 5u);
}

TEST_F(SplitTest, TouchingPanelsSplitOnlyWhenTheStackedTestHolds) {
    // 4 touches 1's right edge (no bar of 0 pixels) but lies below it: stacked with a bar of 20.
    CSplitContainer* split = Split(1, 4, u"Touch");
    ASSERT_NE(split, nullptr);
    EXPECT_EQ(split->GetOrientation(), SplitStacked);
    EXPECT_EQ(split->GetBarSize(), 20);
}

TEST_F(SplitTest, APanelTakesPartInOneSplitOnly) {
    ASSERT_NE(Split(1, 2, u"Top"), nullptr);
    EXPECT_EQ(layout.CreateSplit(layout.UIPanelFor(1), layout.UIPanelFor(3)), nullptr);
    // The bar cannot be split either: its container does not let it go.
    CSplitContainer* top = layout.FindPanelAs<CSplitContainer>(u"top");
    EXPECT_EQ(layout.CreateSplit(top->GetBar(), layout.UIPanelFor(3)), nullptr);
    EXPECT_EQ(layout.UIPanelFor(3)->GetParent(), layout.Root());
    // A whole container can: splits nest.
    EXPECT_NE(layout.CreateSplit(top, layout.UIPanelFor(3)), nullptr);
}

TEST_F(SplitTest, ContainerAndWrapperGuardTheirChildren) {
    CSplitContainer* split = Split(1, 2, u"Top");
    CPanel* extra = layout.UIPanelFor(3);
    EXPECT_FALSE(split->AddChildPanel(extra));
    EXPECT_FALSE(split->RemoveChildPanel(split->GetFirst()));
    EXPECT_FALSE(layout.Root()->AddChildPanel(split->GetSecond()));
    EXPECT_FALSE(split->GetFirst()->SetAnchorFlags(AnchorAll));
    EXPECT_EQ(split->GetFirst()->GetAnchor(), 11u);
    // A wrapper hands children to the panel it wraps.
    ASSERT_TRUE(split->GetSecond()->AddChildPanel(extra));
    EXPECT_EQ(extra->GetParent(), split->GetSecond()->GetWrapped());
    EXPECT_TRUE(split->GetSecond()->RemoveChildPanel(extra));
    EXPECT_TRUE(split->GetSecond()->GetWrapped()->GetChildren().empty());
    EXPECT_FALSE(split->SetFixedPanel(3));
}

TEST_F(SplitTest, WithoutAFixedPanelBothSidesGrowByTheRatio) {
    CSplitContainer* split = Split(1, 2, u"Top");
    split->SetSplitPosition(400);  // ratio 390 / 780 = 0.5
    Resize(1600, 500);             // container 10..1590
    EXPECT_EQ(split->GetFirst()->GetArea(), (Rect{10, 10, 800, 300}));
    EXPECT_EQ(split->GetSecond()->GetArea(), (Rect{810, 10, 1590, 300}));
    EXPECT_EQ(split->GetBar()->GetArea(), (Rect{800, 10, 810, 300}));
    EXPECT_EQ(window.controls[2], (Rect{810, 10, 1590, 300}));
    Resize(800, 500);
    EXPECT_EQ(split->GetSplitPosition(), 400);
}

TEST_F(SplitTest, FixedSecondPanelGivesAllGrowthToTheFirst) {
    CSplitContainer* split = Split(1, 2, u"Top");
    ASSERT_TRUE(split->SetFixedPanel(FixedSecond));
    Resize(1000, 500);
    EXPECT_EQ(split->GetSecond()->GetArea(), (Rect{410, 10, 990, 300}));
    EXPECT_EQ(split->GetFirst()->GetArea(), (Rect{10, 10, 400, 300}));
    // Shrinking below the first panel's minimum keeps that minimum and pushes the second.
    ASSERT_TRUE(split->GetFirst()->SetMinExtent({150, 10}));
    Resize(500, 500);
    EXPECT_EQ(split->GetFirst()->GetArea(), (Rect{10, 10, 160, 300}));
    EXPECT_EQ(split->GetSecond()->GetArea().left, 170);
}

TEST_F(SplitTest, FixedFirstPanelKeepsItsWidth) {
    CSplitContainer* split = Split(1, 2, u"Top");
    ASSERT_TRUE(split->SetFixedPanel(FixedFirst));
    Resize(1200, 500);
    EXPECT_EQ(split->GetFirst()->GetArea(), (Rect{10, 10, 200, 300}));
    EXPECT_EQ(split->GetSecond()->GetArea(), (Rect{210, 10, 1190, 300}));
}

TEST_F(SplitTest, DraggingStopsAtBothMinimumWidths) {
    CSplitContainer* split = Split(1, 2, u"Top");
    ASSERT_TRUE(split->GetFirst()->SetMinExtent({100, 10}));
    ASSERT_TRUE(split->GetSecond()->SetMinExtent({120, 10}));
    EXPECT_TRUE(layout.SetSplitPosition(u"top", -500));
    EXPECT_EQ(layout.GetSplitPosition(u"Top"), 110);
    EXPECT_TRUE(layout.SetSplitPosition(u"top", 5000));
    EXPECT_EQ(layout.GetSplitPosition(u"Top"), 790 - 120 - 10);
    EXPECT_EQ(split->GetSecond()->GetArea(), (Rect{670, 10, 790, 300}));
    EXPECT_EQ(window.controls[1], (Rect{10, 10, 660, 300}));
}

TEST_F(SplitTest, SetThenGetReturnsThePositionForEveryPixel) {
    Split(1, 2, u"Top");
    for (int32_t position = 20; position <= 770; ++position) {
        ASSERT_TRUE(layout.SetSplitPosition(u"Top", position));
        ASSERT_EQ(layout.GetSplitPosition(u"Top"), position);
        layout.Relayout();  // laying out again must not creep
        ASSERT_EQ(layout.GetSplitPosition(u"Top"), position);
    }
}

TEST_F(SplitTest, SplitOperationsByNameNeedASplitContainer) {
    Split(1, 2, u"Top");
    EXPECT_FALSE(layout.SetSplitPosition(u"1", 100));
    EXPECT_FALSE(layout.SetSplitPosition(u"nothing", 100));
    EXPECT_EQ(layout.GetSplitPosition(u"_root"), std::nullopt);
    EXPECT_EQ(layout.GetSplitPosition(u""), std::nullopt);
}

TEST_F(SplitTest, SetSplitPositionKeepsTheFixedPanelSetting) {
    CSplitContainer* split = Split(1, 2, u"Top");
    ASSERT_TRUE(split->SetFixedPanel(FixedSecond));
    ASSERT_TRUE(layout.SetSplitPosition(u"Top", 500));
    EXPECT_EQ(split->GetFixedPanel(), FixedSecond);
    EXPECT_DOUBLE_EQ(split->GetRatio(), 490.0 / 780.0);
    Resize(900, 500);
    EXPECT_EQ(layout.GetSplitPosition(u"Top"), 600);
}

TEST_F(SplitTest, SqueezedContainerIsOnlyAnchored) {
    CSplitContainer* split = Split(1, 2, u"Top");
    ASSERT_TRUE(split->SetMinExtent({700, 10}));
    // Anchoring would hold the container at its minimum; given a narrower area directly, the
    // split only anchors its sides.
    split->SetArea({10, 10, 590, 300});
    split->Arrange();
    EXPECT_EQ(split->GetFirst()->GetArea(), (Rect{10, 10, 200, 300}));
    EXPECT_EQ(split->GetSecond()->GetArea(), (Rect{10, 10, 590, 300}));
    // Squeezed to nothing, the ratio survives a position change.
    split->SetArea({50, 10, 50, 300});
    split->SetSplitPosition(60);
    EXPECT_DOUBLE_EQ(split->GetRatio(), 190.0 / 780.0);
}

// The main window's three splits: the list over the lower frame; inside it the left frame
// beside the description; inside the left frame the summary over the link.
class DialogSplitTest : public LayoutFixture {
  protected:
    void SetUp() override {
        window.Resize(800, 500);
        window.controls[1000] = {10, 40, 790, 300};    // list
        window.controls[1009] = {10, 306, 790, 490};   // lower frame
        window.controls[1013] = {10, 312, 330, 440};   // lower-left frame
        window.controls[1001] = {336, 306, 790, 490};  // description
        window.controls[1014] = {12, 314, 330, 400};   // summary
        window.controls[1008] = {12, 408, 330, 436};   // link
        ASSERT_TRUE(layout.Attach(window.MakeHost()));
        auto split = [this](int32_t a, int32_t b, const char16_t* name, int32_t into) {
            CSplitContainer* s = layout.CreateSplit(layout.UIPanelFor(a), layout.UIPanelFor(b));
            ASSERT_NE(s, nullptr);
            s->SetName(name);
            ASSERT_TRUE(layout.Root()->AddChildPanel(s));
            if (into != 0) {
                ASSERT_TRUE(layout.UIPanelFor(into)->AddChildPanel(s));
            }
            s->SetAnchorFlags(AnchorAll);
        };
        split(1000, 1009, u"MainSplitter", 0);
        split(1013, 1001, u"LowerSplitter", 1009);
        split(1014, 1008, u"LowerLeftSplitter", 1013);
        auto* lowerLeft = layout.FindPanelAs<CSplitContainer>(u"LowerLeftSplitter");
        lowerLeft->SetSplitterFixed(true);
        lowerLeft->SetFixedPanel(FixedSecond);
        CPanel* link = layout.UIPanelFor(1008);
        ASSERT_TRUE(link->SetMaxExtent({318, 28}));
        ASSERT_TRUE(link->SetMinExtent({318, 28}));
        layout.Relayout();
    }
};

TEST_F(DialogSplitTest, NestedSplitsFollowTheWindow) {
    Resize(1000, 700);
    // The list keeps its share (260 of 450) of the main split's 650 pixels.
    EXPECT_EQ(layout.GetSplitPosition(u"MainSplitter"), 40 + 375);
    EXPECT_EQ(window.controls[1000], (Rect{10, 40, 990, 415}));
    EXPECT_EQ(window.controls[1009], (Rect{10, 421, 990, 690}));
    // The lower split fills the lower frame by its ratio of 320 to 780.
    EXPECT_EQ(window.controls[1013], (Rect{10, 427, 412, 640}));
    EXPECT_EQ(window.controls[1001], (Rect{418, 421, 990, 690}));
    // The link keeps its size at the bottom of the left frame; the summary takes the rest.
    EXPECT_EQ(window.controls[1008], (Rect{12, 608, 330, 636}));
    EXPECT_EQ(window.controls[1014], (Rect{12, 429, 412, 600}));
}

TEST_F(DialogSplitTest, LowerSplitterAtTheWindowWidthPushesTheDescriptionOut) {
    ASSERT_TRUE(layout.SetSplitPosition(u"LowerSplitter", 816));
    // The description keeps its minimum width at the right edge; the left frame takes the rest.
    EXPECT_EQ(window.controls[1001], (Rect{780, 306, 790, 490}));
    EXPECT_EQ(window.controls[1013].right, 774);
    EXPECT_EQ(layout.GetSplitPosition(u"LowerSplitter"), 774);
    EXPECT_EQ(window.controls[1014].right, 774);
    EXPECT_EQ(window.controls[1008].right, 330);  // the link is held by its maximum
}

TEST_F(DialogSplitTest, FixedSplitterNeverHovers) {
    const Rect bar = layout.FindPanelAs<CSplitContainer>(u"LowerLeftSplitter")->GetBar()->GetArea();
    layout.OnMouseMove(0, {bar.left + 5, bar.top + 2});
    EXPECT_EQ(layout.HoverBar(), nullptr);
    EXPECT_FALSE(window.captured);
}

}  // namespace
}  // namespace veltrano
