// Rectangles, sizes and points in a window's client coordinates, and the anchor and split
// constants the layout engine shares with the windows that use it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace veltrano {

// Coordinates stay inside the 32-bit range whatever sizes and margins a caller sets.
inline int32_t Saturate(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

inline int32_t Offset(int64_t base, int64_t delta) {
    return Saturate(base + delta);
}

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Right and bottom are exclusive, as in a Win32 RECT.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t Width() const { return Saturate(int64_t{right} - left); }
    int32_t Height() const { return Saturate(int64_t{bottom} - top); }
    bool Contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Whether two rectangles share at least one pixel (touching edges do not).
inline bool Intersect(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

inline Rect Union(const Rect& a, const Rect& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

// Distances of a panel's edges to its parent's edges, each measured inwards.
struct Margins {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const Margins&, const Margins&) = default;
};

// Anchor flags of a panel: which parent edges it follows.
enum AnchorFlag : uint32_t {
    AnchorLeft = 1,
    AnchorTop = 2,
    AnchorRight = 4,
    AnchorBottom = 8,
    AnchorCenterHorizontal = 16,
    AnchorCenterVertical = 32,
    AnchorKeepRight = 64,    // left and right set: a clamped width moves the left edge
    AnchorKeepBottom = 128,  // top and bottom set: a clamped height moves the top edge
    AnchorAll = AnchorLeft | AnchorTop | AnchorRight | AnchorBottom,
};

// How a split places its two panels.
enum SplitOrientation : int32_t {
    SplitSideBySide = 1,  // the bar is vertical
    SplitStacked = 2,     // the bar is horizontal
};

// Which side of a split keeps its size when the split grows or shrinks.
enum FixedPanel : int16_t {
    FixedNone = 0,
    FixedFirst = 1,
    FixedSecond = 2,
};

}  // namespace veltrano
