// GDI helpers.
#include "framework/gdi.h"

#include "platform/win32/wide.h"

namespace veltrano {

HFONT CreatePointFont(int tenthsOfPoint, const Text& face) {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    LOGFONTW font{};
    font.lfHeight = -::MulDiv(tenthsOfPoint, dpi, 720);
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(font.lfFaceName, Wide(face), LF_FACESIZE);
    return ::CreateFontIndirectW(&font);
}

}  // namespace veltrano
