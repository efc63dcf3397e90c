#include <gtest/gtest.h>

#include "layout/layout_fixture.h"

namespace veltrano {
namespace {

using testing::FakeWindow;
using CSplitContainer = CWndResizer::CSplitContainer;

// A list beside an edit box with a bar of 10 pixels at x = 200..210; below both a third
// control, split off by a horizontal bar at y = 300..310.
class SplitterDragTest : public testing::LayoutFixture {
  protected:
    void SetUp() override {
        window.controls[1] = {10, 10, 200, 300};
        window.controls[2] = {210, 10, 790, 300};
        window.controls[3] = {10, 310, 790, 490};
        Attach();
        sides = layout.CreateSplit(layout.UIPanelFor(1), layout.UIPanelFor(2));
        ASSERT_NE(sides, nullptr);
        stack = layout.CreateSplit(sides, layout.UIPanelFor(3));
        ASSERT_NE(stack, nullptr);
        sides->SetName(u"Sides");  // after the split: its wrapper took the name it had
        ASSERT_TRUE(layout.Root()->AddChildPanel(stack));
        stack->SetAnchorFlags(AnchorAll);
        layout.Relayout();
    }

    CSplitContainer* sides = nullptr;
    CSplitContainer* stack = nullptr;
};

TEST_F(SplitterDragTest, DragMovesTheBarAndReleaseOverItKeepsTheHover) {
    layout.OnMouseMove(0, {205, 100});
    EXPECT_EQ(layout.HoverBar(), sides->GetBar());
    EXPECT_TRUE(window.captured);
    EXPECT_EQ(window.cursor, FakeWindow::kSizeWestEast);

    layout.OnLButtonDown({207, 100});  // grabbed 7 pixels into the bar
    const size_t batches = window.batches.size();
    layout.OnMouseMove(kLeftButtonDown, {307, 120});
    EXPECT_EQ(layout.GetSplitPosition(u"Sides"), 300);
    EXPECT_EQ(window.controls[1], (Rect{10, 10, 300, 300}));
    EXPECT_EQ(window.controls[2], (Rect{310, 10, 790, 300}));
    EXPECT_EQ(window.batches.size(), batches + 1);
    EXPECT_EQ(window.batches.back().size(), 2u);  // only the split's own controls
    layout.OnMouseMove(kLeftButtonDown, {407, 120});
    EXPECT_EQ(layout.GetSplitPosition(u"Sides"), 400);

    // Released over the bar: still hovering, with the capture and the size cursor.
    layout.OnLButtonUp(0, {407, 120});
    EXPECT_EQ(layout.HoverBar(), sides->GetBar());
    EXPECT_TRUE(window.captured);
    EXPECT_EQ(window.cursor, FakeWindow::kSizeWestEast);
    layout.OnMouseMove(0, {409, 150});
    EXPECT_TRUE(window.captured);

    // Leaving the bar gives the capture and the cursor back.
    layout.OnMouseMove(0, {420, 150});
    EXPECT_EQ(layout.HoverBar(), nullptr);
    EXPECT_FALSE(window.captured);
    EXPECT_EQ(window.cursor, FakeWindow::kArrow);
}

TEST_F(SplitterDragTest, ReleasedAwayFromTheBarEndsTheHover) {
    layout.OnMouseMove(0, {205, 100});
    layout.OnLButtonDown({205, 100});
    // The mouse runs ahead of the bar, which stops at the second panel's minimum.
    layout.OnMouseMove(kLeftButtonDown, {900, 100});
    EXPECT_EQ(layout.GetSplitPosition(u"Sides"), 790 - 10 - 10);
    layout.OnLButtonUp(0, {900, 100});
    EXPECT_EQ(layout.HoverBar(), nullptr);
    EXPECT_FALSE(window.captured);
}

TEST_F(SplitterDragTest, DragStopsAtTheFirstPanelsMinimum) {
    ASSERT_TRUE(sides->GetFirst()->SetMinExtent({150, 10}));
    layout.OnMouseMove(0, {200, 100});
    layout.OnLButtonDown({200, 100});
    layout.OnMouseMove(kLeftButtonDown, {-300, 100});
    EXPECT_EQ(layout.GetSplitPosition(u"Sides"), 160);
}

TEST_F(SplitterDragTest, StackedBarDragsVertically) {
    layout.OnMouseMove(0, {500, 302});
    EXPECT_EQ(layout.HoverBar(), stack->GetBar());
    EXPECT_EQ(window.cursor, FakeWindow::kSizeNorthSouth);
    layout.OnLButtonDown({500, 302});
    layout.OnMouseMove(kLeftButtonDown, {100, 252});
    EXPECT_EQ(stack->GetSplitPosition(), 250);
    // The nested side-by-side split followed the first panel of the stack.
    EXPECT_EQ(window.controls[1].bottom, 250);
    EXPECT_EQ(window.controls[3].top, 260);
}

TEST_F(SplitterDragTest, NoHoverOverAFixedSplitOrACoveredBar) {
    sides->SetSplitterFixed(true);
    layout.OnMouseMove(0, {205, 100});
    EXPECT_EQ(layout.HoverBar(), nullptr);
    sides->SetSplitterFixed(false);
    window.covered.push_back({0, 0, 800, 200});
    layout.OnMouseMove(0, {205, 100});
    EXPECT_EQ(layout.HoverBar(), nullptr);
    EXPECT_FALSE(window.captured);
    layout.OnMouseMove(0, {205, 250});
    EXPECT_EQ(layout.HoverBar(), sides->GetBar());
    // A window that comes over the bar ends the hover as leaving it does.
    window.covered.push_back({0, 0, 800, 400});
    layout.OnMouseMove(0, {205, 250});
    EXPECT_EQ(layout.HoverBar(), nullptr);
}

TEST_F(SplitterDragTest, AHiddenGripDoesNotStopTheDrag) {
    sides->SetGripVisible(false);
    layout.OnMouseMove(0, {205, 100});
    layout.OnLButtonDown({205, 100});
    layout.OnMouseMove(kLeftButtonDown, {255, 100});
    EXPECT_EQ(layout.GetSplitPosition(u"Sides"), 250);
}

TEST_F(SplitterDragTest, ButtonDownWithoutHoverDoesNothing) {
    layout.OnLButtonDown({205, 100});
    layout.OnMouseMove(kLeftButtonDown, {100, 100});
    EXPECT_EQ(layout.GetSplitPosition(u"Sides"), 200);
    EXPECT_EQ(layout.HoverBar(), nullptr);
}

TEST_F(SplitterDragTest, DetachWhileHoveringReleasesTheCapture) {
    layout.OnMouseMove(0, {205, 100});
    ASSERT_TRUE(window.captured);
    layout.Detach();
    EXPECT_FALSE(window.captured);
    EXPECT_EQ(layout.HoverBar(), nullptr);
    layout.OnMouseMove(0, {205, 100});  // messages after the end are ignored
    layout.OnLButtonDown({205, 100});
}

TEST(SplitterGripTest, ThreeEmbossedDotsDownAVerticalGrip) {
    CWndResizer::CSplitterGripperPanel grip({100, 50, 106, 74}, SplitSideBySide);
    EXPECT_EQ(grip.GetArea(), (Rect{101, 56, 104, 68}));
    testing::RecordingCanvas canvas;
    grip.Paint(canvas);
    const std::vector<std::string> expected = {
        "pen 16777215",         "rect (102,57,104,59)", "rect (102,61,104,63)",
        "rect (102,65,104,67)", "pen 8421504",          "rect (101,56,103,58)",
        "rect (101,60,103,62)", "rect (101,64,103,66)", "restore 0",
    };
    EXPECT_EQ(canvas.calls, expected);
}

TEST(SplitterGripTest, DotsStepAcrossAHorizontalGripAndStayInside) {
    const Rect grip{0, 0, 12, 3};
    const std::vector<Rect> white = SplitterGripDots(grip, SplitStacked, {1, 1});
    ASSERT_EQ(white.size(), 3u);
    EXPECT_EQ(white.back(), (Rect{9, 1, 11, 3}));
    EXPECT_EQ(SplitterGripDots(grip, SplitStacked, {0, 0}).back(), (Rect{8, 0, 10, 2}));
    EXPECT_TRUE(SplitterGripDots({0, 0, 1, 1}, SplitSideBySide, {0, 0}).empty());
    EXPECT_EQ(SplitterGripDots({0, 0, 3, 2147483647}, SplitSideBySide, {0, 2147483640}).size(), 2u);
}

}  // namespace
}  // namespace veltrano
