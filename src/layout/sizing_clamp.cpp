// The sizing clamp: while the user drags a window edge or corner, the dragged edges stop where
// the window would leave its minimum or maximum size.
#include "layout/wnd_resizer.h"

namespace veltrano {

namespace {

// The limit a length outside [minimum, maximum] is brought to; the length itself otherwise.
int32_t Limited(int32_t length, int32_t minimum, int32_t maximum) {
    if (length < minimum)
        return minimum;
    if (length > maximum)
        return maximum;
    return length;
}

}  // namespace

void ClampSizingRect(int32_t edge, Rect& windowRect, Size minimum, Size maximum) {
    const bool left = edge == SizingLeft || edge == SizingTopLeft || edge == SizingBottomLeft;
    const bool right = edge == SizingRight || edge == SizingTopRight || edge == SizingBottomRight;
    const bool top = edge == SizingTop || edge == SizingTopLeft || edge == SizingTopRight;
    const bool bottom =
        edge == SizingBottom || edge == SizingBottomLeft || edge == SizingBottomRight;
    const int32_t width = Limited(windowRect.Width(), minimum.width, maximum.width);
    const int32_t height = Limited(windowRect.Height(), minimum.height, maximum.height);
    if (left)
        windowRect.left = Offset(windowRect.right, -int64_t{width});
    if (right)
        windowRect.right = Offset(windowRect.left, width);
    if (top)
        windowRect.top = Offset(windowRect.bottom, -int64_t{height});
    if (bottom)
        windowRect.bottom = Offset(windowRect.top, height);
}

}  // namespace veltrano
