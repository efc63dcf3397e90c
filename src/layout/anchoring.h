// The anchoring rules: where a child panel goes inside its parent, one axis at a time.
#pragma once

#include <cstdint>

#include "layout/geometry.h"

namespace veltrano {

// The anchors of one axis: to the low edge (left/top), to the high edge (right/bottom),
// centred, and whether a clamped length moves the low edge instead of the high one.
struct AxisAnchor {
    bool low = false;
    bool high = false;
    bool centred = false;
    bool keepHigh = false;
};

struct Span {
    int32_t low = 0;
    int32_t high = 0;
};

// The child's span on one axis by the first rule that applies: centred, both edges, the high
// edge only, the low edge (the default). Lengths that are not stretched are the child's
// current length; the limits then move the free edge.
Span PlaceOnAxis(Span parent, int32_t marginLow, int32_t marginHigh, Span current, int32_t minimum,
                 int32_t maximum, AxisAnchor anchor);

// Both axes of a child's area by its anchor flags.
Rect PlaceChild(const Rect& parent, const Rect& child, const Margins& margins, uint32_t anchor,
                Size minimum, Size maximum);

}  // namespace veltrano
