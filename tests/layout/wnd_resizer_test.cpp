#include "layout/wnd_resizer.h"

#include <gtest/gtest.h>

#include "layout/layout_fixture.h"

namespace veltrano {
namespace {

using testing::FakeWindow;
using testing::RecordingCanvas;
using CPanel = CWndResizer::CPanel;

class ResizerTest : public testing::LayoutFixture {
  protected:
    void SetUp() override {
        window.controls[1000] = {10, 40, 790, 300};
        window.controls[1001] = {20, 50, 100, 80};
        window.controls[1021] = {680, 440, 780, 480};
        Attach();
    }

    CWndResizer::CGripperPanel* Grip() const {
        return layout.FindPanelAs<CWndResizer::CGripperPanel>(u"_resizeGrip");
    }
};

TEST_F(ResizerTest, AttachHooksTheWindowAndAddsAHiddenSizeGrip) {
    EXPECT_TRUE(window.hooked);
    EXPECT_EQ(layout.Root()->GetArea(), (Rect{0, 0, 800, 500}));
    EXPECT_EQ(layout.Root()->GetName(), u"_root");
    auto* grip = layout.FindPanelAs<CWndResizer::CGripperPanel>(u"_RESIZEGRIP");
    ASSERT_NE(grip, nullptr);
    EXPECT_EQ(grip->GetArea(), (Rect{783, 483, 800, 500}));
    EXPECT_EQ(grip->GetAnchor(), 12u);
    EXPECT_FALSE(grip->IsVisible());
    EXPECT_EQ(grip->GetParent(), layout.Root());
    EXPECT_EQ(grip->HostWindow(), layout.Host());
    EXPECT_FALSE(layout.Attach(window.MakeHost()));  // attached once only
    EXPECT_EQ(window.hookCount, 1);
}

TEST_F(ResizerTest, DetachUnhooksAndFreesThePanels) {
    layout.UIPanelFor(1000);
    EXPECT_TRUE(layout.Detach());
    EXPECT_FALSE(window.hooked);
    EXPECT_TRUE(layout.Root()->GetChildren().empty());
    EXPECT_EQ(layout.FindPanel(u"_resizeGrip"), nullptr);
    EXPECT_EQ(layout.UIPanelFor(1000), nullptr);
    EXPECT_EQ(layout.Root()->HostWindow(), nullptr);
    EXPECT_FALSE(layout.Detach());
    // Attaching again starts from a fresh tree.
    ASSERT_TRUE(layout.Attach(window.MakeHost()));
    EXPECT_EQ(layout.Root()->GetChildren().size(), 1u);
}

TEST_F(ResizerTest, RefusedHookLeavesTheEngineUnattached) {
    FakeWindow taken;
    taken.hookRefused = true;
    CWndResizer other;
    EXPECT_FALSE(other.Attach(taken.MakeHost()));
    EXPECT_FALSE(other.IsAttached());
    EXPECT_TRUE(other.Root()->GetChildren().empty());
    EXPECT_FALSE(other.Attach(nullptr));
}

TEST_F(ResizerTest, EngineDetachesWhenItEnds) {
    FakeWindow other;
    {
        CWndResizer scoped;
        ASSERT_TRUE(scoped.Attach(other.MakeHost()));
        EXPECT_TRUE(other.hooked);
    }
    EXPECT_FALSE(other.hooked);
}

TEST_F(ResizerTest, UIPanelIsMadeOnceFromTheControlRectangle) {
    CPanel* list = layout.UIPanelFor(1000);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->TypeName(), u"CUIPanel");
    EXPECT_EQ(list->GetName(), u"1000");
    EXPECT_EQ(list->GetArea(), (Rect{10, 40, 790, 300}));
    EXPECT_EQ(list->GetParent(), layout.Root());
    EXPECT_EQ(layout.UIPanelFor(1000), list);
    EXPECT_EQ(layout.FindPanel(u"1000"), list);
    EXPECT_EQ(layout.UIPanelFor(4242), nullptr);
}

TEST_F(ResizerTest, FindPanelSearchesDepthFirstInListOrder) {
    CPanel* list = layout.UIPanelFor(1000);
    CPanel* inner = layout.UIPanelFor(1001);
    CPanel* button = layout.UIPanelFor(1021);
    ASSERT_TRUE(list->AddChildPanel(inner));
    inner->SetName(u"twin");
    button->SetName(u"Twin");
    // The list comes before the button in the root, so its child is found first.
    EXPECT_EQ(layout.FindPanel(u"TWIN"), inner);
    EXPECT_EQ(layout.FindPanel(u"_root"), layout.Root());
    EXPECT_EQ(layout.FindPanel(u""), nullptr);
}

TEST_F(ResizerTest, RelayoutMovesAllControlsInOneBatch) {
    layout.UIPanelFor(1000)->SetAnchorFlags(AnchorAll);
    layout.UIPanelFor(1021)->SetAnchorFlags(AnchorRight | AnchorBottom);
    Resize(1000, 700);
    ASSERT_EQ(window.batches.size(), 1u);
    EXPECT_EQ(window.batches[0].size(), 2u);
    EXPECT_EQ(window.controls[1000], (Rect{10, 40, 990, 500}));
    EXPECT_EQ(window.controls[1021], (Rect{880, 640, 980, 680}));
    EXPECT_EQ(Grip()->GetArea(), (Rect{983, 683, 1000, 700}));
    EXPECT_EQ(window.wholeInvalidations, 0);
    EXPECT_EQ(window.invalidated.back(), (Rect{0, 0, 1000, 700}));
}

TEST_F(ResizerTest, RootIsClampedToItsLimits) {
    ASSERT_TRUE(layout.Root()->SetMinExtent({300, 200}));
    ASSERT_TRUE(layout.Root()->SetMaxExtent({900, 600}));
    window.client = {0, 0, 120, 90};
    layout.Relayout();
    EXPECT_EQ(layout.Root()->GetArea(), (Rect{0, 0, 300, 200}));
    window.client = {0, 0, 2000, 1000};
    layout.Relayout();
    EXPECT_EQ(layout.Root()->GetArea(), (Rect{0, 0, 900, 600}));
}

TEST_F(ResizerTest, ScrollingWindowsSpanTheirScrollRange) {
    window.horizontalScroll = LayoutHost::ScrollRange{1200, 100};
    layout.Relayout();
    EXPECT_EQ(layout.Root()->GetArea(), (Rect{-100, 0, 1100, 500}));
    window.verticalScroll = LayoutHost::ScrollRange{900, 250};
    layout.Relayout();
    EXPECT_EQ(layout.Root()->GetArea(), (Rect{-100, -250, 1100, 650}));
}

TEST_F(ResizerTest, ApplyToWindowsMovesOnlyTheSubtree) {
    CPanel* list = layout.UIPanelFor(1000);
    CPanel* inner = layout.UIPanelFor(1001);
    layout.UIPanelFor(1021);
    list->AddChildPanel(inner);
    layout.ApplyToWindows(list);
    ASSERT_EQ(window.batches.size(), 1u);
    ASSERT_EQ(window.batches[0].size(), 2u);
    EXPECT_EQ(window.batches[0][0].controlId, 1000);
    EXPECT_EQ(window.batches[0][1].controlId, 1001);
    EXPECT_EQ(window.invalidated.back(), list->GetArea());

    layout.ApplyToWindows(nullptr);
    EXPECT_EQ(window.batches.back().size(), 3u);
    EXPECT_EQ(window.wholeInvalidations, 1);

    // A subtree without controls moves and invalidates nothing.
    const size_t invalidations = window.invalidated.size();
    layout.ApplyToWindows(Grip());
    EXPECT_EQ(window.batches.size(), 2u);
    EXPECT_EQ(window.invalidated.size(), invalidations);
}

TEST_F(ResizerTest, VisualPanelsInvalidateOldAndNewArea) {
    window.Resize(900, 600);
    window.invalidated.clear();
    layout.Relayout();
    // The grip's area from Attach (never laid out before: the empty rectangle), then the new.
    ASSERT_GE(window.invalidated.size(), 2u);
    EXPECT_EQ(window.invalidated[0], (Rect{}));
    EXPECT_EQ(window.invalidated[1], (Rect{883, 583, 900, 600}));
    window.Resize(800, 500);
    window.invalidated.clear();
    layout.Relayout();
    EXPECT_EQ(window.invalidated[0], (Rect{883, 583, 900, 600}));
    EXPECT_EQ(Grip()->GetLastArea(), (Rect{783, 483, 800, 500}));
}

TEST_F(ResizerTest, SizingStopsTheDraggedEdgeAtTheRootLimits) {
    ASSERT_TRUE(layout.Root()->SetMinExtent({300, 200}));
    // Dragging the left edge to the right: the client would be 250 - 16 wide.
    Rect rect{100, 100, 350, 400};
    layout.OnSizing(SizingLeft, rect);
    EXPECT_EQ(rect, (Rect{350 - 316, 100, 350, 400}));
    rect = {100, 100, 350, 150};
    layout.OnSizing(SizingBottomRight, rect);
    EXPECT_EQ(rect, (Rect{100, 100, 416, 339}));
    // A size inside the limits is left alone.
    rect = {0, 0, 640, 480};
    layout.OnSizing(SizingTopLeft, rect);
    EXPECT_EQ(rect, (Rect{0, 0, 640, 480}));
}

TEST(SizingClampTest, EachEdgeAndCornerMovesOnlyItsOwnEdges) {
    const Size minimum{200, 100};
    const Size maximum{400, 300};
    struct Case {
        int32_t edge;
        Rect expected;
    };
    const Rect small{500, 500, 550, 520};
    const Case cases[] = {
        {SizingLeft, {350, 500, 550, 520}},
        {SizingRight, {500, 500, 700, 520}},
        {SizingTop, {500, 420, 550, 520}},
        {SizingBottom, {500, 500, 550, 600}},
        {SizingTopLeft, {350, 420, 550, 520}},
        {SizingTopRight, {500, 420, 700, 520}},
        {SizingBottomLeft, {350, 500, 550, 600}},
        {SizingBottomRight, {500, 500, 700, 600}},
        {0, small},
    };
    for (const Case& c : cases) {
        Rect rect = small;
        ClampSizingRect(c.edge, rect, minimum, maximum);
        EXPECT_EQ(rect, c.expected) << "edge " << c.edge;
    }
    Rect large{0, 0, 1000, 1000};
    ClampSizingRect(SizingTopLeft, large, minimum, maximum);
    EXPECT_EQ(large, (Rect{600, 700, 1000, 1000}));
}

TEST_F(ResizerTest, PaintDrawsVisibleVisualPanelsOnly) {
    RecordingCanvas canvas;
    layout.PaintVisualPanels(canvas);
    EXPECT_TRUE(canvas.calls.empty());
    Grip()->SetVisible(true);
    layout.PaintVisualPanels(canvas);
    layout.PaintVisualPanels(canvas);
    ASSERT_EQ(canvas.calls.size(), 3u);
    EXPECT_EQ(canvas.calls[0], "open SCROLLBAR");
    EXPECT_EQ(canvas.calls[1], "theme 10/5 (783,483,800,500) clip (783,483,800,500)");
    EXPECT_EQ(canvas.calls[2], canvas.calls[1]);  // the theme is opened once
    EXPECT_EQ(canvas.themesOpened, 1);
    EXPECT_EQ(*canvas.themesClosed, 0);
    layout.Detach();
    EXPECT_EQ(*canvas.themesClosed, 1);  // closed with its panel
}

TEST_F(ResizerTest, SizeGripWithoutAThemeIsTheClassicOne) {
    RecordingCanvas canvas;
    canvas.themed = false;
    Grip()->SetVisible(true);
    layout.PaintVisualPanels(canvas);
    ASSERT_EQ(canvas.calls.size(), 2u);
    EXPECT_EQ(canvas.calls[1], "frame 3/8 (783,483,800,500)");
    EXPECT_FALSE(Grip()->HasTheme());
}

}  // namespace
}  // namespace veltrano
