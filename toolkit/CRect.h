#pragma once

#include "toolkit/CPoint.h"

#include <algorithm>
#include <cstdint>

namespace toolkit
{

// A rectangle in pixels. Width is right - left and height bottom - top; construction and copying
// keep the four values as given, only setCorners puts them in order.
struct CRect
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    CRect() = default;
    CRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
        : left(left), top(top), right(right), bottom(bottom)
    {
    }

    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    CPoint topLeft() const { return CPoint(left, top); }

    // From any two opposite corners: left/top take the smaller values, right/bottom the larger.
    CRect& setCorners(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
    {
        left = std::min(x1, x2);
        right = std::max(x1, x2);
        top = std::min(y1, y2);
        bottom = std::max(y1, y2);
        return *this;
    }
    CRect& setCorners(const CPoint& a, const CPoint& b) { return setCorners(a.h, a.v, b.h, b.v); }

    CRect& offset(int32_t dx, int32_t dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }

    // Edges that only touch count as overlapping.
    bool isOverlapping(const CRect& o) const
    {
        return right >= o.left && left <= o.right && bottom >= o.top && top <= o.bottom;
    }

    // Both edges are inclusive: a point on the right or bottom edge is inside.
    bool pointInside(const CPoint& p) const
    {
        return p.h >= left && p.h <= right && p.v >= top && p.v <= bottom;
    }

    // Clips this rectangle to `o`. Where they do not overlap the result is empty (right = left or
    // bottom = top), never inverted.
    CRect& bound(const CRect& o)
    {
        left = std::max(left, o.left);
        top = std::max(top, o.top);
        right = std::min(right, o.right);
        bottom = std::min(bottom, o.bottom);
        if (bottom < top)
            bottom = top;
        if (right < left)
            right = left;
        return *this;
    }

    bool operator==(const CRect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const CRect& o) const { return !(*this == o); }
};

} // namespace toolkit
