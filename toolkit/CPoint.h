#pragma once

#include <cstdint>

namespace toolkit
{

// A position in pixels; h grows to the right, v downward.
struct CPoint
{
    int32_t h = 0;
    int32_t v = 0;

    CPoint() = default;
    CPoint(int32_t h, int32_t v) : h(h), v(v) {}

    CPoint& offset(int32_t dx, int32_t dy)
    {
        h += dx;
        v += dy;
        return *this;
    }

    bool operator==(const CPoint& o) const { return h == o.h && v == o.v; }
    bool operator!=(const CPoint& o) const { return !(*this == o); }
};

} // namespace toolkit
