// The visual panels' canvas over a device context: GDI pens and rectangles, the visual styles
// of the window (uxtheme) and the classic frame controls.
#pragma once

#include <windows.h>

#include <vector>

#include "layout/canvas.h"
#include "platform/win32/scoped_handle.h"

namespace veltrano {

class GdiCanvas : public Canvas {
  public:
    GdiCanvas(HDC dc, HWND window);
    // Selects the pen the context had at the start again and frees the pens it made.
    ~GdiCanvas() override;
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    Pen SelectSolidPen(uint32_t colour) override;
    void RestorePen(Pen pen) override;
    void DrawRectangle(const Rect& area) override;
    uint32_t ButtonShadowColour() const override;
    std::unique_ptr<Theme> OpenTheme(TextView classList) override;
    void DrawThemeBackground(Theme& theme, int32_t part, int32_t state, const Rect& area,
                             const Rect& clip) override;
    void DrawFrameControl(const Rect& area, uint32_t kind, uint32_t style) override;

  private:
    HDC dc_;
    HWND window_;
    HGDIOBJ originalPen_;
    std::vector<ScopedGdiObject> pens_;
};

}  // namespace veltrano
