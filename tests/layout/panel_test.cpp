#include <gtest/gtest.h>

#include "layout/layout.h"

namespace veltrano {
namespace {

using CPanel = CWndResizer::CPanel;

// A parent with one child laid out again after the parent got a new area.
class AnchoringTest : public ::testing::Test {
  protected:
    void Place(uint32_t anchor) {
        parent.AddChildPanel(&child);
        child.SetAnchorFlags(anchor);
    }
    Rect Resized(const Rect& area) {
        parent.SetArea(area);
        parent.Arrange();
        return child.GetArea();
    }

    CPanel parent{Rect{0, 0, 400, 300}};
    CPanel child{Rect{20, 30, 120, 80}};  // margins 20, 30, 280, 220
};

TEST_F(AnchoringTest, LeftTopKeepsPositionAndSize) {
    Place(AnchorLeft | AnchorTop);
    EXPECT_EQ(Resized({0, 0, 900, 700}), (Rect{20, 30, 120, 80}));
}

TEST_F(AnchoringTest, AllSidesStretchAndStickOutRightBelowTheMinimum) {
    Place(AnchorAll);
    ASSERT_TRUE(child.SetMinExtent({200, 40}));
    EXPECT_EQ(Resized({0, 0, 800, 600}), (Rect{20, 30, 520, 380}));
    // 250 - 20 - 280 leaves a negative width: the left edge stays, the control sticks out.
    EXPECT_EQ(Resized({0, 0, 250, 200}), (Rect{20, 30, 220, 70}));
}

TEST_F(AnchoringTest, KeepRightAndKeepBottomStickOutToTheLeftAndTop) {
    Place(AnchorAll | AnchorKeepRight | AnchorKeepBottom);
    ASSERT_TRUE(child.SetMinExtent({200, 40}));
    EXPECT_EQ(Resized({0, 0, 250, 200}), (Rect{-230, -60, -30, -20}));
}

TEST_F(AnchoringTest, MaximumCutsAStretchedControl) {
    Place(AnchorAll);
    ASSERT_TRUE(child.SetMaxExtent({300, 100}));
    EXPECT_EQ(Resized({0, 0, 1000, 1000}), (Rect{20, 30, 320, 130}));
}

TEST_F(AnchoringTest, RightBottomKeepsDistanceToTheCorner) {
    Place(AnchorRight | AnchorBottom);
    EXPECT_EQ(Resized({0, 0, 500, 400}), (Rect{120, 130, 220, 180}));
    EXPECT_EQ(Resized({0, 0, 350, 250}), (Rect{-30, -20, 70, 30}));
}

TEST_F(AnchoringTest, RightOnlyLimitsMoveTheLeftEdge) {
    Place(AnchorRight | AnchorTop);
    ASSERT_TRUE(child.SetMaxExtent({60, 30}));
    // The current 100 x 50 is above the new maximum: the right edge stays.
    EXPECT_EQ(Resized({0, 0, 400, 300}), (Rect{60, 30, 120, 60}));
}

TEST_F(AnchoringTest, ClampedCentredChildIsCentredInAnOffsetParent) {
    Place(AnchorCenterHorizontal | AnchorCenterVertical);
    ASSERT_TRUE(child.SetMaxExtent({80, 40}));
    // 100 x 50 is cut to 80 x 40 and centred inside a parent that starts at (100, 50).
    EXPECT_EQ(Resized({100, 50, 301, 251}), (Rect{160, 130, 240, 170}));
    ASSERT_TRUE(child.SetMinExtent({80, 40}));
    ASSERT_TRUE(child.SetMaxExtent({1000, 1000}));
    child.SetArea({0, 0, 10, 10});
    EXPECT_EQ(Resized({-50, 0, 50, 100}), (Rect{-40, 30, 40, 70}));
}

TEST_F(AnchoringTest, CentringWinsOverTheEdgeAnchorsOfItsAxis) {
    Place(AnchorLeft | AnchorRight | AnchorBottom | AnchorCenterVertical);  // 45
    EXPECT_EQ(Resized({0, 0, 600, 500}), (Rect{20, 225, 320, 275}));
}

TEST_F(AnchoringTest, NestedPanelsFollowTheirParentsInListOrder) {
    CPanel inner{Rect{30, 40, 60, 70}};
    Place(AnchorAll);
    child.AddChildPanel(&inner);
    inner.SetAnchorFlags(AnchorRight | AnchorBottom);
    Resized({0, 0, 500, 400});
    EXPECT_EQ(child.GetArea(), (Rect{20, 30, 220, 180}));
    EXPECT_EQ(inner.GetArea(), (Rect{130, 140, 160, 170}));
}

TEST(PanelTest, AnchorDefaultsAddTopAndLeft) {
    CPanel panel;
    EXPECT_EQ(panel.GetAnchor(), 3u);
    EXPECT_TRUE(panel.SetAnchorFlags(AnchorCenterHorizontal));
    EXPECT_EQ(panel.GetAnchor(), 18u);
    panel.SetAnchorFlags(0);
    EXPECT_EQ(panel.GetAnchor(), 3u);
    panel.SetAnchorFlags(AnchorRight | AnchorCenterVertical);
    EXPECT_EQ(panel.GetAnchor(), 36u);
    panel.SetAnchorFlags(AnchorBottom);
    EXPECT_EQ(panel.GetAnchor(), 9u);
}

TEST(PanelTest, LimitsThatWouldCrossAreRefusedAndLeaveBothUnchanged) {
    CPanel panel;
    EXPECT_EQ(panel.GetMinSize(), (Size{10, 10}));
    EXPECT_EQ(panel.GetMaxSize(), (Size{100000, 100000}));
    ASSERT_TRUE(panel.SetMaxExtent({300, 200}));
    EXPECT_FALSE(panel.SetMinExtent({301, 50}));
    EXPECT_FALSE(panel.SetMinExtent({50, 201}));
    EXPECT_TRUE(panel.SetMinExtent({300, 200}));
    EXPECT_FALSE(panel.SetMaxExtent({299, 500}));
    EXPECT_EQ(panel.GetMinSize(), (Size{300, 200}));
    EXPECT_EQ(panel.GetMaxSize(), (Size{300, 200}));
}

TEST(PanelTest, MarginsAreRecordedAgainstEachNewParent) {
    CPanel first{Rect{0, 0, 400, 300}};
    CPanel second{Rect{100, 100, 300, 250}};
    CPanel child{Rect{120, 110, 200, 150}};
    ASSERT_TRUE(first.AddChildPanel(&child));
    EXPECT_EQ(child.GetMargins(), (Margins{120, 110, 200, 150}));
    ASSERT_TRUE(second.AddChildPanel(&child));
    EXPECT_EQ(child.GetMargins(), (Margins{20, 10, 100, 100}));
    EXPECT_EQ(child.GetParent(), &second);
    EXPECT_TRUE(first.GetChildren().empty());
    // Later layouts move the panel but keep the margins it was added with.
    second.SetArea({0, 0, 500, 500});
    second.Arrange();
    EXPECT_EQ(child.GetMargins(), (Margins{20, 10, 100, 100}));
    second.SetArea({child.GetArea().left, 0, 500, 500});
    ASSERT_TRUE(first.AddChildPanel(&second));
    ASSERT_TRUE(second.AddChildPanel(&child));  // re-added to the same parent: taken anew
    EXPECT_EQ(child.GetMargins().left, 0);
}

TEST(PanelTest, RemovedChildKeepsItsParentReference) {
    CPanel parent;
    CPanel child;
    ASSERT_TRUE(parent.AddChildPanel(&child));
    EXPECT_TRUE(parent.RemoveChildPanel(&child));
    EXPECT_FALSE(parent.RemoveChildPanel(&child));
    EXPECT_EQ(child.GetParent(), &parent);
    CPanel other;
    EXPECT_FALSE(other.AddChildPanel(&child));  // the old parent no longer has it to give
}

TEST(PanelTest, APanelCannotHoldItselfOrAnAncestor) {
    CPanel top;
    CPanel middle;
    CPanel bottom;
    ASSERT_TRUE(top.AddChildPanel(&middle));
    ASSERT_TRUE(middle.AddChildPanel(&bottom));
    EXPECT_FALSE(bottom.AddChildPanel(&top));
    EXPECT_FALSE(bottom.AddChildPanel(&bottom));
    EXPECT_FALSE(top.AddChildPanel(nullptr));
    EXPECT_EQ(middle.GetParent(), &top);
}

TEST(PanelTest, DescribeShowsEveryField) {
    CPanel parent{Rect{0, 0, 400, 300}};
    parent.SetName(u"outer");
    CWndResizer::CUIPanel control(Rect{5, 6, 105, 56}, 1000);
    control.SetAnchorFlags(AnchorAll);
    ASSERT_TRUE(control.SetMaxExtent({500, 400}));
    EXPECT_EQ(control.Describe(),
              u"Name(1000), Type(CUIPanel), Anchor(15), Size(w:100, h:50), "
              u"Area(l:5, t:6, r:105, b:56), MinSize(w:10, h:10), MaxSize(w:500, h:400), "
              u"Parent(NULL), ChildrenCount(0)");
    parent.AddChildPanel(&control);
    EXPECT_NE(control.Describe().find(u"Parent(outer)"), Text::npos);
    EXPECT_NE(parent.Describe().find(u"Type(CPanel)"), Text::npos);
    EXPECT_NE(parent.Describe().find(u"ChildrenCount(1)"), Text::npos);
}

TEST(PanelTest, NamesIgnoreLetterCaseAndEmptyNeverMatches) {
    CPanel panel;
    EXPECT_FALSE(panel.HasName(u""));
    panel.SetName(u"LowerSplitter");
    EXPECT_TRUE(panel.HasName(u"lowersplitter"));
    EXPECT_TRUE(panel.HasName(u"LOWERSPLITTER"));
    EXPECT_FALSE(panel.HasName(u"LowerSplitter2"));
    EXPECT_TRUE(PanelNamesEqual(u"\u00C4rger\u0416", u"\u00E4RGER\u0436"));
    EXPECT_FALSE(PanelNamesEqual(u"a", u"b"));
}

TEST(PanelTest, ExtremeLimitsAndMarginsStayInRange) {
    CPanel parent{Rect{-2000000000, -2000000000, 2000000000, 2000000000}};
    CPanel child{Rect{2000000000, 2000000000, 2000000000, 2000000000}};
    ASSERT_TRUE(child.SetMaxExtent({2147483647, 2147483647}));
    ASSERT_TRUE(child.SetMinExtent({2147483647, 2147483647}));
    ASSERT_TRUE(parent.AddChildPanel(&child));
    child.SetAnchorFlags(AnchorAll | AnchorKeepRight);
    parent.Arrange();
    EXPECT_EQ(child.GetArea().right, 2000000000);
    EXPECT_EQ(child.GetArea().left, 2000000000 - 2147483647);
    child.SetAnchorFlags(AnchorCenterHorizontal | AnchorCenterVertical);
    parent.Arrange();
    EXPECT_EQ(child.GetArea().Width(), 2147483647);
}

}  // namespace
}  // namespace veltrano
