// The drawing the layout engine's visual panels do, over a device context on Win32 and over
// a recorder in tests.
#pragma once

#include <cstdint>
#include <memory>

#include "base/text.h"
#include "layout/geometry.h"

namespace veltrano {

class Canvas {
  public:
    // Theme data opened for the painted window; closed when destroyed.
    class Theme {
      public:
        virtual ~Theme() = default;
    };

    using Pen = std::uintptr_t;

    virtual ~Canvas() = default;

    // Selects a solid pen one pixel wide (colour 0x00BBGGRR); returns the pen selected before.
    virtual Pen SelectSolidPen(uint32_t colour) = 0;
    virtual void RestorePen(Pen pen) = 0;
    // Outlined with the current pen, filled with the current brush.
    virtual void DrawRectangle(const Rect& area) = 0;
    virtual uint32_t ButtonShadowColour() const = 0;

    // Theme data of a window class for the painted window; none without visual styles.
    virtual std::unique_ptr<Theme> OpenTheme(TextView classList) = 0;
    virtual void DrawThemeBackground(Theme& theme, int32_t part, int32_t state, const Rect& area,
                                     const Rect& clip) = 0;
    // The classic look without a theme (kind and style of the system's frame controls).
    virtual void DrawFrameControl(const Rect& area, uint32_t kind, uint32_t style) = 0;
};

}  // namespace veltrano
