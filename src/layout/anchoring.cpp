// Anchoring keeps each edge at its recorded margin or centres the child; the minimum and
// maximum sizes then decide which edge gives way.
#include "layout/anchoring.h"

#include <algorithm>

namespace veltrano {

namespace {

// The limit a length outside [minimum, maximum] is brought to, or none when it is inside.
bool OutsideLimits(int64_t length, int32_t minimum, int32_t maximum, int32_t& limit) {
    if (length < minimum) {
        limit = minimum;
        return true;
    }
    if (length > maximum) {
        limit = maximum;
        return true;
    }
    return false;
}

}  // namespace

Span PlaceOnAxis(Span parent, int32_t marginLow, int32_t marginHigh, Span current, int32_t minimum,
                 int32_t maximum, AxisAnchor anchor) {
    const int64_t currentLength = int64_t{current.high} - current.low;
    int32_t limit = 0;
    Span placed;
    if (anchor.centred) {
        const int64_t length =
            std::min<int64_t>(std::max<int64_t>(currentLength, minimum), maximum);
        const int64_t parentLength = int64_t{parent.high} - parent.low;
        placed.low = Offset(parent.low, (parentLength - length) / 2);
        placed.high = Offset(placed.low, length);
    } else if (anchor.low && anchor.high) {
        placed.low = Offset(parent.low, marginLow);
        placed.high = Offset(parent.high, -int64_t{marginHigh});
        if (OutsideLimits(int64_t{placed.high} - placed.low, minimum, maximum, limit)) {
            if (anchor.keepHigh) {
                placed.low = Offset(placed.high, -int64_t{limit});
            } else {
                placed.high = Offset(placed.low, limit);
            }
        }
    } else if (anchor.high) {
        placed.high = Offset(parent.high, -int64_t{marginHigh});
        placed.low = Offset(placed.high, -currentLength);
        if (OutsideLimits(currentLength, minimum, maximum, limit)) {
            placed.low = Offset(placed.high, -int64_t{limit});
        }
    } else {
        placed.low = Offset(parent.low, marginLow);
        placed.high = Offset(placed.low, currentLength);
        if (OutsideLimits(currentLength, minimum, maximum, limit)) {
            placed.high = Offset(placed.low, limit);
        }
    }
    return placed;
}

Rect PlaceChild(const Rect& parent, const Rect& child, const Margins& margins, uint32_t anchor,
                Size minimum, Size maximum) {
    const AxisAnchor horizontal{(anchor & AnchorLeft) != 0, (anchor & AnchorRight) != 0,
                                (anchor & AnchorCenterHorizontal) != 0,
                                (anchor & AnchorKeepRight) != 0};
    const AxisAnchor vertical{(anchor & AnchorTop) != 0, (anchor & AnchorBottom) != 0,
                              (anchor & AnchorCenterVertical) != 0,
                              (anchor & AnchorKeepBottom) != 0};
    const Span x = PlaceOnAxis({parent.left, parent.right}, margins.left, margins.right,
                               {child.left, child.right}, minimum.width, maximum.width, horizontal);
    const Span y = PlaceOnAxis({parent.top, parent.bottom}, margins.top, margins.bottom,
                               {child.top, child.bottom}, minimum.height, maximum.height, vertical);
    return {x.low, y.low, x.high, y.high};
}

}  // namespace veltrano
