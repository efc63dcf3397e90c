// GDI drawing for the size grip and the splitter grips.
#include "layout/win32/gdi_canvas.h"

#include <uxtheme.h>

#include "platform/win32/wide.h"

namespace veltrano {

namespace {

RECT ToRect(const Rect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

class WindowTheme : public Canvas::Theme {
  public:
    explicit WindowTheme(HTHEME theme) : theme_(theme) {}
    ~WindowTheme() override { ::CloseThemeData(theme_); }
    WindowTheme(const WindowTheme&) = delete;
    WindowTheme& operator=(const WindowTheme&) = delete;
    HTHEME Handle() const { return theme_; }

  private:
    HTHEME theme_;
};

}  // namespace

GdiCanvas::GdiCanvas(HDC dc, HWND window)
    : dc_(dc), window_(window), originalPen_(::GetCurrentObject(dc, OBJ_PEN)) {}

GdiCanvas::~GdiCanvas() {
    if (originalPen_ != nullptr)
        ::SelectObject(dc_, originalPen_);
}

Canvas::Pen GdiCanvas::SelectSolidPen(uint32_t colour) {
    HPEN pen = ::CreatePen(PS_SOLID, 1, colour);
    if (pen == nullptr)
        return reinterpret_cast<Pen>(::GetCurrentObject(dc_, OBJ_PEN));
    pens_.emplace_back(pen);
    return reinterpret_cast<Pen>(::SelectObject(dc_, pen));
}

void GdiCanvas::RestorePen(Pen pen) {
    if (pen != 0)
        ::SelectObject(dc_, reinterpret_cast<HGDIOBJ>(pen));
}

void GdiCanvas::DrawRectangle(const Rect& area) {
    ::Rectangle(dc_, area.left, area.top, area.right, area.bottom);
}

uint32_t GdiCanvas::ButtonShadowColour() const {
    return ::GetSysColor(COLOR_BTNSHADOW);
}

std::unique_ptr<Canvas::Theme> GdiCanvas::OpenTheme(TextView classList) {
    // Windows opens no theme data for controls when visual styles are off for the application;
    // Wine ignores that setting, so it is asked here as Windows would.
    if (!::IsAppThemed() || (::GetThemeAppProperties() & STAP_ALLOW_CONTROLS) == 0)
        return nullptr;
    const Text name(classList);
    HTHEME theme = ::OpenThemeData(window_, Wide(name));
    if (theme == nullptr)
        return nullptr;
    return std::make_unique<WindowTheme>(theme);
}

void GdiCanvas::DrawThemeBackground(Theme& theme, int32_t part, int32_t state, const Rect& area,
                                    const Rect& clip) {
    auto* windowTheme = dynamic_cast<WindowTheme*>(&theme);
    if (windowTheme == nullptr)
        return;
    const RECT r = ToRect(area);
    const RECT c = ToRect(clip);
    ::DrawThemeBackground(windowTheme->Handle(), dc_, part, state, &r, &c);
}

void GdiCanvas::DrawFrameControl(const Rect& area, uint32_t kind, uint32_t style) {
    RECT r = ToRect(area);
    ::DrawFrameControl(dc_, &r, kind, style);
}

}  // namespace veltrano
