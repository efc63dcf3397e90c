// The slide animation on a real parent window with a static child.
#include "shell/win32/slide.h"

#include <gtest/gtest.h>

#include <chrono>

#include "framework/window.h"

namespace veltrano {
namespace {

// A framed top-level window (client and window coordinates differ) with static children.
class SlideTest : public ::testing::Test {
  protected:
    SlideTest() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &::DefWindowProcW;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VeltranoSlideTest";
        ::RegisterClassW(&windowClass);
        parent_ =
            ::CreateWindowExW(0, L"VeltranoSlideTest", L"slide", WS_OVERLAPPEDWINDOW, 40, 40, 700,
                              400, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    }
    ~SlideTest() override { ::DestroyWindow(parent_); }

    HWND Child(int x, int y, int width, int height) {
        return ::CreateWindowExW(0, L"STATIC", L"Loading ...", WS_CHILD | WS_VISIBLE | SS_CENTER, x,
                                 y, width, height, parent_, nullptr, ::GetModuleHandleW(nullptr),
                                 nullptr);
    }
    RECT Where(HWND child) const { return CWindow(child).RectIn(parent_); }

    HWND parent_ = nullptr;
};

// The child's own visibility (its parent stays hidden in most tests).
bool Shown(HWND child) {
    return (::GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) != 0;
}

void ExpectRect(const RECT& r, LONG left, LONG top, LONG right, LONG bottom) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

TEST_F(SlideTest, TwentyStepsThenTheTargetAndHiddenOnTheTwentyFirstTick) {
    HWND banner = Child(20, 100, 500, 30);
    SlideWindow(parent_, banner, 30, -480, 1.0);
    ASSERT_TRUE(SlidePending());
    for (int tick = 1; tick <= kSlideSteps; ++tick) {
        SlideTick(banner);
        SCOPED_TRACE(tick);
        // Each edge is its running double sum truncated: 1.5 px down and 24 px narrower per step.
        ExpectRect(Where(banner), 20, 100 + tick * 3 / 2, 520 - 24 * tick, 130 + tick * 3 / 2);
        EXPECT_TRUE(Shown(banner));
        EXPECT_TRUE(SlidePending());
    }
    SlideTick(banner);
    ExpectRect(Where(banner), 20, 130, 40, 160);
    EXPECT_FALSE(Shown(banner));
    EXPECT_FALSE(SlidePending());
    // A tick after the end finds no record and changes nothing.
    SlideTick(banner);
    ExpectRect(Where(banner), 20, 130, 40, 160);
}

TEST_F(SlideTest, NegativeStepsTruncateTowardZero) {
    HWND child = Child(0, 5, 100, 20);
    SlideWindow(parent_, child, -7, 3, 1.0);
    SlideTick(child);  // top 5 - 0.35 = 4.65, right 100.15
    ExpectRect(Where(child), 0, 4, 100, 24);
    for (int tick = 2; tick <= kSlideSteps + 1; ++tick)
        SlideTick(child);
    ExpectRect(Where(child), 0, -2, 103, 18);
    EXPECT_FALSE(SlidePending());
}

TEST_F(SlideTest, SecondSlideOfTheSameChildIsIgnored) {
    HWND banner = Child(20, 100, 500, 30);
    SlideWindow(parent_, banner, 30, -480, 1.0);
    SlideTick(banner);
    SlideWindow(parent_, banner, 200, 0, 5.0);  // ignored: the first slide keeps its course
    for (int tick = 2; tick <= kSlideSteps + 1; ++tick)
        SlideTick(banner);
    ExpectRect(Where(banner), 20, 130, 40, 160);
    EXPECT_FALSE(SlidePending());
}

TEST_F(SlideTest, TwoChildrenSlideIndependently) {
    HWND first = Child(10, 10, 200, 20);
    HWND second = Child(10, 200, 300, 40);
    SlideWindow(parent_, first, 20, -200, 1.0);
    SlideWindow(parent_, second, -40, 100, 1.0);
    for (int tick = 1; tick <= kSlideSteps + 1; ++tick)
        SlideTick(first);
    EXPECT_TRUE(SlidePending());  // the second still runs
    ExpectRect(Where(first), 10, 30, 10, 50);
    ExpectRect(Where(second), 10, 200, 310, 240);
    for (int tick = 1; tick <= kSlideSteps + 1; ++tick)
        SlideTick(second);
    ExpectRect(Where(second), 10, 160, 410, 200);
    EXPECT_FALSE(Shown(second));
    EXPECT_FALSE(SlidePending());
}

TEST_F(SlideTest, ChildDestroyedDuringTheSlideEndsItsRecord) {
    HWND banner = Child(20, 100, 500, 30);
    SlideWindow(parent_, banner, 30, -480, 1.0);
    SlideTick(banner);
    ::DestroyWindow(banner);
    SlideTick(banner);
    EXPECT_FALSE(SlidePending());
}

// Without a timer the record would never end and would block every later slide.
TEST_F(SlideTest, WindowThatIsGoneNeverStartsASlide) {
    HWND banner = Child(20, 100, 500, 30);
    ::DestroyWindow(banner);
    SlideWindow(parent_, banner, 30, -480, 1.0);
    EXPECT_FALSE(SlidePending());
}

TEST_F(SlideTest, HiddenChildSlidesAndStaysHidden) {
    HWND banner = Child(20, 100, 500, 30);
    ::ShowWindow(banner, SW_HIDE);
    SlideWindow(parent_, banner, 30, -480, 1.0);
    for (int tick = 1; tick <= kSlideSteps + 1; ++tick)
        SlideTick(banner);
    ExpectRect(Where(banner), 20, 130, 40, 160);
    EXPECT_FALSE(Shown(banner));
}

// The real timer: the slide runs by itself while messages are pumped and ends on the
// twenty-first tick, so it takes at least twenty intervals.
TEST_F(SlideTest, TimerDrivesTheSlideToItsEnd) {
    ::ShowWindow(parent_, SW_SHOWNOACTIVATE);
    HWND banner = Child(20, 100, 500, 30);
    const auto start = std::chrono::steady_clock::now();
    SlideWindow(parent_, banner, 30, -480, 0.4);  // 20 ms per tick
    MSG message;
    while (SlidePending() && std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
        if (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::DispatchMessageW(&message);
        } else {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    ASSERT_FALSE(SlidePending());
    ExpectRect(Where(banner), 20, 130, 40, 160);
    EXPECT_FALSE(Shown(banner));
    EXPECT_GE(elapsed, std::chrono::milliseconds(20 * 20 - 40));
}

}  // namespace
}  // namespace veltrano
