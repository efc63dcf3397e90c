// The pictures as Windows loads them from the program's resources: the icon at every size, the
// bitmaps through the loader flags and image lists the main dialog uses, and the animation in a
// real animation control, made transparent over its parent's background.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr int kIcon = 128, kAnimation = 134, kRows = 135, kToolbarStrip = 136, kToolbar = 144,
              kLookupGerman = 146, kLookupOther = 147;

HINSTANCE Module() {
    return GetModuleHandleW(nullptr);
}

struct GdiDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using Bitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiDeleter>;

Bitmap LoadBitmapResource(int id, UINT flags = LR_CREATEDIBSECTION) {
    return Bitmap(static_cast<HBITMAP>(
        LoadImageW(Module(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, flags)));
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    return SIZE{info.bmWidth, info.bmHeight};
}

// Pixels of a bitmap as COLORREFs, top row first.
std::vector<COLORREF> Pixels(HBITMAP bitmap) {
    SIZE size = BitmapSize(bitmap);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> bgra(static_cast<size_t>(size.cx) * size.cy);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, size.cy, bgra.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    std::vector<COLORREF> out;
    for (uint32_t p : bgra)
        out.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    return out;
}

class Win32Resources : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_ANIMATE_CLASS | ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
    }
};

TEST_F(Win32Resources, IconLoadsAtEverySize) {
    HICON standard = LoadIconW(Module(), MAKEINTRESOURCEW(kIcon));
    EXPECT_NE(standard, nullptr);
    for (int size : {16, 24, 32, 48, 64, 256}) {
        SCOPED_TRACE("size " + std::to_string(size));
        HICON icon = static_cast<HICON>(
            LoadImageW(Module(), MAKEINTRESOURCEW(kIcon), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        Bitmap colour(info.hbmColor), mask(info.hbmMask);
        ASSERT_NE(colour, nullptr) << "a colour icon, not a monochrome one";
        EXPECT_EQ(BitmapSize(colour.get()).cx, size);
        EXPECT_EQ(BitmapSize(colour.get()).cy, size);
        DestroyIcon(icon);
    }
}

// Draws every image of a list side by side onto a 32-bit bitmap filled with `background`.
std::vector<COLORREF> DrawList(HIMAGELIST list, int width, int height, COLORREF background) {
    int count = ImageList_GetImageCount(list);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width * count;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    Bitmap target(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, target.get());
    RECT all{0, 0, width * count, height};
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    for (int i = 0; i < count; ++i)
        ImageList_Draw(list, i, dc, i * width, 0, ILD_NORMAL);
    SelectObject(dc, old);
    DeleteDC(dc);
    return Pixels(target.get());
}

TEST_F(Win32Resources, RowIconsDrawThroughTheListsImageListWithTheirOwnColours) {
    // As the dialog sets the list up: 8-bit colour with a mask cut out by magenta.
    Bitmap rows = LoadBitmapResource(kRows);
    ASSERT_NE(rows, nullptr);
    ASSERT_EQ(BitmapSize(rows.get()).cx, 64);
    ASSERT_EQ(BitmapSize(rows.get()).cy, 16);
    std::vector<COLORREF> source = Pixels(rows.get());
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR8 | ILC_MASK, 4, 1);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ImageList_AddMasked(list, rows.get(), RGB(255, 0, 255)), 0);
    ASSERT_EQ(ImageList_GetImageCount(list), 4);

    constexpr COLORREF kRow = RGB(10, 200, 30);
    std::vector<COLORREF> drawn = DrawList(list, 16, 16, kRow);
    ImageList_Destroy(list);
    int mismatches = 0;
    for (size_t i = 0; i < source.size(); ++i) {
        COLORREF expected = source[i] == RGB(255, 0, 255) ? kRow : source[i];
        if (drawn.at(i) != expected)
            ++mismatches;
    }
    // Masked pixels show the row, all others keep the icon's exact colour (an image list that
    // forced the icons into its halftone palette, or cut the mask by palette index, would not).
    EXPECT_EQ(mismatches, 0);
}

TEST_F(Win32Resources, ToolbarGreyBecomesTheButtonFace) {
    Bitmap strip = LoadBitmapResource(kToolbar, LR_CREATEDIBSECTION | LR_LOADMAP3DCOLORS);
    ASSERT_NE(strip, nullptr);
    ASSERT_EQ(BitmapSize(strip.get()).cx, 96);
    ASSERT_EQ(BitmapSize(strip.get()).cy, 15);
    std::vector<COLORREF> pixels = Pixels(strip.get());
    COLORREF face = GetSysColor(COLOR_3DFACE);
    for (int image = 0; image < 6; ++image) {
        EXPECT_EQ(pixels.at(static_cast<size_t>(image) * 16), face) << "image " << image;
    }
    HIMAGELIST list = ImageList_Create(16, 15, ILC_COLOR8, 6, 6);
    EXPECT_EQ(ImageList_Add(list, strip.get(), nullptr), 0);
    EXPECT_EQ(ImageList_GetImageCount(list), 6);
    ImageList_Destroy(list);

    Bitmap resourceStrip = LoadBitmapResource(kToolbarStrip);
    ASSERT_NE(resourceStrip, nullptr);
    EXPECT_EQ(BitmapSize(resourceStrip.get()).cx, 96);
}

TEST_F(Win32Resources, LookupButtonFacesLoad) {
    for (int id : {kLookupGerman, kLookupOther}) {
        Bitmap face = LoadBitmapResource(id);
        ASSERT_NE(face, nullptr) << id;
        EXPECT_EQ(BitmapSize(face.get()).cx, 346);
        EXPECT_EQ(BitmapSize(face.get()).cy, 46);
    }
}

// A hidden parent whose static-control colour is a brush no picture uses, so that the
// animation's transparent background shows as exactly that colour.
constexpr COLORREF kParentColour = RGB(0, 128, 64);

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    static HBRUSH brush = CreateSolidBrush(kParentColour);
    if (message == WM_CTLCOLORSTATIC)
        return reinterpret_cast<LRESULT>(brush);
    return DefWindowProcW(window, message, w, l);
}

TEST_F(Win32Resources, AnimationOpensPlaysAndIsTransparent) {
    WNDCLASSW type{};
    type.lpfnWndProc = ParentProc;
    type.hInstance = Module();
    type.lpszClassName = L"VeltranoArtTestParent";
    RegisterClassW(&type);
    HWND parent = CreateWindowExW(0, type.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200,
                                  nullptr, nullptr, Module(), nullptr);
    ASSERT_NE(parent, nullptr);
    constexpr int kWidth = 66, kHeight = 65;
    HWND animation =
        CreateWindowExW(0, ANIMATE_CLASSW, L"", WS_CHILD | ACS_CENTER | ACS_TRANSPARENT, 0, 0,
                        kWidth, kHeight, parent, nullptr, Module(), nullptr);
    ASSERT_NE(animation, nullptr);

    ASSERT_TRUE(Animate_Open(animation, MAKEINTRESOURCEW(kAnimation)));
    EXPECT_TRUE(Animate_Play(animation, 0, -1, -1));
    EXPECT_TRUE(Animate_Stop(animation));
    ASSERT_TRUE(Animate_Seek(animation, 0));

    // Let the control paint its first frame into our own bitmap.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    Bitmap canvas(CreateCompatibleBitmap(screen, kWidth, kHeight));
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(memory, canvas.get());
    RECT all{0, 0, kWidth, kHeight};
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    FillRect(memory, &all, white);
    SendMessageW(animation, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    SelectObject(memory, old);
    DeleteDC(memory);

    std::vector<COLORREF> pixels = Pixels(canvas.get());
    int background = 0, picture = 0, keyShowing = 0;
    for (COLORREF p : pixels) {
        if (p == kParentColour) {
            ++background;
        } else if (p == RGB(255, 0, 255)) {
            ++keyShowing;
        } else if (p != RGB(255, 255, 255)) {
            ++picture;
        }
    }
    EXPECT_GT(background, kWidth * kHeight / 5) << "the key colour became the parent's colour";
    EXPECT_GT(picture, kWidth * kHeight / 5) << "and the picture is there";
    EXPECT_EQ(keyShowing, 0);

    Animate_Close(animation);
    DestroyWindow(parent);
    UnregisterClassW(type.lpszClassName, Module());
}

}  // namespace
