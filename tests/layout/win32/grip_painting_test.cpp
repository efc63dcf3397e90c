#include <windows.h>

#include <uxtheme.h>
#include <gtest/gtest.h>

#include "layout/layout.h"
#include "layout/win32/gdi_canvas.h"
#include "layout/win32/test_window.h"
#include "layout/win32/window_host.h"

namespace veltrano {
namespace {

using testing::ClassicLook;
using testing::TestWindow;

constexpr COLORREF kBackground = RGB(10, 20, 30);

// A 32-bit memory bitmap filled with one colour.
class MemoryBitmap {
  public:
    MemoryBitmap(int width, int height) : width_(width), height_(height) {
        HDC screen = ::GetDC(nullptr);
        dc_ = ::CreateCompatibleDC(screen);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap_ = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        ::ReleaseDC(nullptr, screen);
        old_ = ::SelectObject(dc_, bitmap_);
        Fill(kBackground);
    }
    ~MemoryBitmap() {
        ::SelectObject(dc_, old_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(dc_);
    }
    MemoryBitmap(const MemoryBitmap&) = delete;
    MemoryBitmap& operator=(const MemoryBitmap&) = delete;

    void Fill(COLORREF colour) {
        HBRUSH brush = ::CreateSolidBrush(colour);
        const RECT all{0, 0, width_, height_};
        ::FillRect(dc_, &all, brush);
        ::DeleteObject(brush);
    }
    HDC dc() const { return dc_; }
    COLORREF At(int x, int y) const { return ::GetPixel(dc_, x, y); }

  private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

TEST(GdiCanvasTest, SplitterGripDrawsEmbossedDotsAndRestoresThePen) {
    TestWindow window(200, 100);
    MemoryBitmap bitmap(8, 16);
    const HGDIOBJ penBefore = ::GetCurrentObject(bitmap.dc(), OBJ_PEN);
    CWndResizer::CSplitterGripperPanel grip({0, 0, 3, 12}, SplitSideBySide);
    {
        GdiCanvas canvas(bitmap.dc(), window.hwnd());
        grip.Paint(canvas);
        EXPECT_EQ(::GetCurrentObject(bitmap.dc(), OBJ_PEN), penBefore);
    }
    const COLORREF white = RGB(255, 255, 255);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    for (int dot = 0; dot < 3; ++dot) {
        const int y = dot * 4;
        EXPECT_EQ(bitmap.At(0, y), shadow) << "dot " << dot;
        EXPECT_EQ(bitmap.At(1, y + 1), shadow) << "dot " << dot;
        EXPECT_EQ(bitmap.At(2, y + 1), white) << "dot " << dot;
        EXPECT_EQ(bitmap.At(2, y + 2), white) << "dot " << dot;
        EXPECT_EQ(bitmap.At(0, y + 3), kBackground) << "dot " << dot;
    }
    EXPECT_EQ(bitmap.At(1, 12), kBackground);  // no fourth dot
    EXPECT_EQ(bitmap.At(3, 1), kBackground);
}

// The classic size grip as the system draws it, for comparison.
void DrawClassicGrip(HDC dc, const RECT& area) {
    RECT r = area;
    ::DrawFrameControl(dc, &r, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
}

TEST(GdiCanvasTest, SizeGripWithThemeDrawsInsideItsArea) {
    TestWindow window(200, 100);
    HTHEME probe = ::OpenThemeData(window.hwnd(), L"SCROLLBAR");
    if (probe == nullptr)
        GTEST_SKIP() << "no visual styles active in this session";
    ::CloseThemeData(probe);
    MemoryBitmap painted(24, 24);
    CWndResizer::CGripperPanel grip({4, 4, 21, 21});
    {
        GdiCanvas canvas(painted.dc(), window.hwnd());
        grip.Paint(canvas);
    }
    EXPECT_TRUE(grip.HasTheme());
    int drawn = 0;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 24; ++x) {
            const bool inside = x >= 4 && x < 21 && y >= 4 && y < 21;
            if (painted.At(x, y) != kBackground) {
                EXPECT_TRUE(inside) << x << "," << y;
                ++drawn;
            }
        }
    }
    EXPECT_GT(drawn, 0);
}

// The whole path: the window's paint message paints the visible size grip, here without a
// theme.
TEST(GripPaintingTest, VisibleSizeGripIsPaintedByThePaintMessage) {
    TestWindow window(300, 200);
    ClassicLook classic;
    CWndResizer layout;
    ASSERT_TRUE(layout.Attach(MakeWindowHost(window.hwnd())));
    auto* grip = layout.FindPanelAs<CWndResizer::CGripperPanel>(u"_resizeGrip");
    ASSERT_NE(grip, nullptr);
    const Rect area = grip->GetArea();
    EXPECT_EQ(area.right, 300);
    EXPECT_EQ(area.Width(), ::GetSystemMetrics(SM_CXHSCROLL));

    auto capture = [&](MemoryBitmap& into) {
        ::RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        HDC dc = ::GetDC(window.hwnd());
        ::BitBlt(into.dc(), 0, 0, area.Width(), area.Height(), dc, area.left, area.top, SRCCOPY);
        ::ReleaseDC(window.hwnd(), dc);
    };
    MemoryBitmap hidden(area.Width(), area.Height());
    capture(hidden);

    grip->SetVisible(true);
    MemoryBitmap shown(area.Width(), area.Height());
    capture(shown);
    EXPECT_FALSE(grip->HasTheme());

    MemoryBitmap expected(area.Width(), area.Height());
    expected.Fill(::GetSysColor(COLOR_BTNFACE));
    DrawClassicGrip(expected.dc(), {0, 0, area.Width(), area.Height()});

    int unlikeHidden = 0;
    int unlikeExpected = 0;
    for (int y = 0; y < area.Height(); ++y) {
        for (int x = 0; x < area.Width(); ++x) {
            if (shown.At(x, y) != hidden.At(x, y))
                ++unlikeHidden;
            if (shown.At(x, y) != expected.At(x, y))
                ++unlikeExpected;
        }
    }
    EXPECT_GT(unlikeHidden, 10);
    EXPECT_EQ(unlikeExpected, 0);
}

}  // namespace
}  // namespace veltrano
