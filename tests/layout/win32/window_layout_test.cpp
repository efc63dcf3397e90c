#include <windows.h>

#include <gtest/gtest.h>

#include "layout/fake_window.h"
#include "layout/layout.h"
#include "layout/win32/test_window.h"
#include "layout/win32/window_host.h"

namespace veltrano {
namespace {

using testing::ClientPoint;
using testing::TestWindow;
using CSplitContainer = CWndResizer::CSplitContainer;

// A list beside an edit box (bar x = 200..206), a static text below both (bar y = 300..306)
// and a button in the lower right corner.
class WindowLayoutTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window.AddControl(L"LISTBOX", 1000, {10, 10, 200, 300}, WS_BORDER | LBS_NOINTEGRALHEIGHT);
        window.AddControl(L"EDIT", 1001, {206, 10, 790, 300}, WS_BORDER | ES_MULTILINE);
        window.AddControl(L"STATIC", 1002, {10, 306, 790, 440});
        window.AddControl(L"BUTTON", 1021, {680, 450, 780, 490});
        ASSERT_TRUE(layout.Attach(MakeWindowHost(window.hwnd())));
    }

    void BuildSplits() {
        CSplitContainer* sides =
            layout.CreateSplit(layout.UIPanelFor(1000), layout.UIPanelFor(1001));
        ASSERT_NE(sides, nullptr);
        CSplitContainer* main = layout.CreateSplit(sides, layout.UIPanelFor(1002));
        ASSERT_NE(main, nullptr);
        sides->SetName(u"Sides");
        main->SetName(u"Main");
        ASSERT_TRUE(layout.Root()->AddChildPanel(main));
        main->SetAnchorFlags(AnchorAll);
        layout.UIPanelFor(1021)->SetAnchorFlags(AnchorRight | AnchorBottom);
        layout.Relayout();
    }

    // The panel of a control: the panel inside its split wrapper once it is split.
    Rect PanelArea(int32_t id) {
        CWndResizer::CPanel* panel = layout.UIPanelFor(id);
        if (auto* wrapper = dynamic_cast<CWndResizer::CSplitPanel*>(panel)) {
            panel = wrapper->GetWrapped();
        }
        return panel->GetArea();
    }

    TestWindow window{800, 500};
    CWndResizer layout;
};

TEST_F(WindowLayoutTest, AttachReplacesTheProcedureAndDestroyDetaches) {
    EXPECT_EQ(ResizerForWindow(window.hwnd()), &layout);
    const int before = TestWindow::ownMessages;
    ::SendMessageW(window.hwnd(), WM_USER + 7, 0, 0);
    EXPECT_EQ(TestWindow::ownMessages, before + 1);  // still passed on

    CWndResizer second;
    EXPECT_FALSE(second.Attach(MakeWindowHost(window.hwnd())));
    EXPECT_EQ(ResizerForWindow(window.hwnd()), &layout);

    ::DestroyWindow(window.hwnd());
    EXPECT_FALSE(layout.IsAttached());
    EXPECT_EQ(ResizerForWindow(window.hwnd()), nullptr);
    EXPECT_TRUE(layout.Root()->GetChildren().empty());
}

TEST_F(WindowLayoutTest, ResizingTheWindowMovesTheControlsWhereThePanelsAre) {
    BuildSplits();
    const int before = TestWindow::ownMessages;
    window.ResizeClient(1000, 700);
    EXPECT_GT(TestWindow::ownMessages, before);
    EXPECT_EQ(layout.Root()->GetArea(), (Rect{0, 0, 1000, 700}));
    // The main split keeps 290 / 430 of its height, the side split 190 / 780 of its width.
    EXPECT_EQ(window.ControlArea(1000), (Rect{10, 10, 248, 434}));
    EXPECT_EQ(window.ControlArea(1001), (Rect{254, 10, 990, 434}));
    EXPECT_EQ(window.ControlArea(1002), (Rect{10, 440, 990, 640}));
    EXPECT_EQ(window.ControlArea(1021), (Rect{880, 650, 980, 690}));
    for (int32_t id : {1000, 1001, 1002, 1021}) {
        EXPECT_EQ(window.ControlArea(id), PanelArea(id)) << "control " << id;
    }
    // An explicit size message lays out the same way.
    ::SendMessageW(window.hwnd(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(1000, 700));
    EXPECT_EQ(window.ControlArea(1000), (Rect{10, 10, 248, 434}));
}

TEST_F(WindowLayoutTest, SizingStopsALeftEdgeDragAtTheRootMinimum) {
    ASSERT_TRUE(layout.Root()->SetMinExtent({300, 200}));
    RECT frame{0, 0, 300, 200};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(window.hwnd(), GWL_STYLE)),
                         FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(window.hwnd(), GWL_EXSTYLE)));
    const LONG minimumWidth = frame.right - frame.left;
    const LONG minimumHeight = frame.bottom - frame.top;

    RECT dragged{700, 100, 900, 600};  // the left edge pulled far to the right
    ::SendMessageW(window.hwnd(), WM_SIZING, WMSZ_LEFT, reinterpret_cast<LPARAM>(&dragged));
    EXPECT_EQ(dragged.right, 900);
    EXPECT_EQ(dragged.left, 900 - minimumWidth);
    EXPECT_EQ(dragged.top, 100);

    RECT corner{100, 100, 150, 150};
    ::SendMessageW(window.hwnd(), WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&corner));
    EXPECT_EQ(corner.right, 100 + minimumWidth);
    EXPECT_EQ(corner.bottom, 100 + minimumHeight);
    EXPECT_GT(minimumWidth, 300);  // the frame is counted
}

TEST_F(WindowLayoutTest, SplitterIsDraggedWithTheMouse) {
    BuildSplits();
    HWND hwnd = window.hwnd();
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, ClientPoint(203, 100));
    ASSERT_EQ(::GetCapture(), hwnd) << "the window under the bar must be the test window";
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_SIZEWE));

    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(203, 100));
    ::SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(403, 120));
    EXPECT_EQ(window.ControlArea(1000), (Rect{10, 10, 400, 300}));
    EXPECT_EQ(window.ControlArea(1001), (Rect{406, 10, 790, 300}));
    EXPECT_EQ(layout.GetSplitPosition(u"Sides"), 400);

    // Released over the bar: capture and size cursor stay until the mouse leaves it.
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, ClientPoint(403, 120));
    EXPECT_EQ(::GetCapture(), hwnd);
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_SIZEWE));
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, ClientPoint(600, 120));  // over the edit box
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(layout.HoverBar(), nullptr);

    // The stacked bar drags vertically with the north-south cursor.
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, ClientPoint(100, 303));
    ASSERT_EQ(::GetCapture(), hwnd);
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_SIZENS));
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(100, 303));
    ::SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(100, 203));
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, ClientPoint(100, 203));
    EXPECT_EQ(window.ControlArea(1000).bottom, 200);
    EXPECT_EQ(window.ControlArea(1002).top, 206);
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, ClientPoint(100, 150));
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(WindowLayoutTest, FixedSplitterIsNotCaptured) {
    BuildSplits();
    layout.FindPanelAs<CSplitContainer>(u"Sides")->SetSplitterFixed(true);
    ::SendMessageW(window.hwnd(), WM_MOUSEMOVE, 0, ClientPoint(203, 100));
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(WindowLayoutTest, ScrollingWindowLaysOutOverItsScrollRange) {
    ::SetWindowLongPtrW(window.hwnd(), GWL_STYLE,
                        ::GetWindowLongPtrW(window.hwnd(), GWL_STYLE) | WS_HSCROLL);
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
    info.nMin = 0;
    info.nMax = 1200;
    info.nPage = 400;
    info.nPos = 100;
    ::SetScrollInfo(window.hwnd(), SB_HORZ, &info, TRUE);
    ::SendMessageW(window.hwnd(), WM_HSCROLL, 0, 0);
    EXPECT_EQ(layout.Root()->GetArea().left, -100);
    EXPECT_EQ(layout.Root()->GetArea().right, 1100);
}

}  // namespace
}  // namespace veltrano
