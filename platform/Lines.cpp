// Lines, rectangle fills, ellipses and single pixels.
#include "platform/GdiObjects.h"
#include "platform/Raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace qev::platform
{
namespace
{

bool inside(const RECT& r, int x, int y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// Writes one pen pixel through the DC's raster operation, inside the drawable area only.
struct PenPlotter
{
    DC& dc;
    RECT area;
    uint32_t pen;
    uint32_t gap; // colour of the dotted pen's gaps in opaque mode
    bool dotted;
    bool fillGaps;

    explicit PenPlotter(DC& d)
        : dc(d), area(drawableArea(d)), pen(d.bitmap ? pixelFor(*d.bitmap, d.pen->color) : 0),
          gap(d.bitmap ? pixelFor(*d.bitmap, d.bkColor) : 0), dotted(d.pen->style == PS_DOT),
          fillGaps(d.bkMode == OPAQUE)
    {
    }

    void plot(int x, int y, uint32_t colour)
    {
        if (!inside(area, x, y))
            return;
        uint32_t& p = dc.bitmap->row(y)[x];
        p = applyRop2(dc.rop2, colour, p);
    }

    void stamp(int x, int y, int step)
    {
        const int w = dc.pen->width;
        if (dotted && (step / 3) % 2 == 1)
        {
            if (fillGaps)
                plot(x, y, gap);
            return;
        }
        if (w <= 1)
        {
            plot(x, y, pen);
            return;
        }
        const int from = -(w - 1) / 2;
        for (int dy = from; dy < from + w; ++dy)
            for (int dx = from; dx < from + w; ++dx)
                plot(x + dx, y + dy, pen);
    }
};

// Bresenham from (x0, y0) towards (x1, y1); the end point itself is not drawn.
void drawLine(DC& dc, int x0, int y0, int x1, int y1)
{
    if (!dc.bitmap || dc.pen->style == PS_NULL)
        return;
    PenPlotter plotter(dc);
    const int reach = dc.pen->width / 2 + 1;
    touch(dc, std::max<int>(std::min(x0, x1) - reach, plotter.area.left),
          std::max<int>(std::min(y0, y1) - reach, plotter.area.top),
          std::min<int>(std::max(x0, x1) + reach, plotter.area.right),
          std::min<int>(std::max(y0, y1) + reach, plotter.area.bottom));
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int x = x0;
    int y = y0;
    for (int step = 0; x != x1 || y != y1; ++step)
    {
        plotter.stamp(x, y, step);
        const int e2 = 2 * err;
        if (e2 >= dy)
        {
            err += dy;
            x += sx;
        }
        if (e2 <= dx)
        {
            err += dx;
            y += sy;
        }
    }
}

// Whether the centre of pixel (x, y) lies inside the ellipse inscribed in the box.
struct EllipseShape
{
    double cx, cy, rx, ry;
    EllipseShape(double l, double t, double r, double b)
        : cx((l + r) / 2), cy((t + b) / 2), rx((r - l) / 2), ry((b - t) / 2)
    {
    }
    bool contains(int x, int y) const
    {
        if (rx <= 0 || ry <= 0)
            return false;
        const double nx = (x + 0.5 - cx) / rx;
        const double ny = (y + 0.5 - cy) / ry;
        return nx * nx + ny * ny <= 1.0;
    }
};

} // namespace
} // namespace qev::platform

using namespace qev::platform;

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old)
{
    DC* dc = findDC(hdc);
    if (!dc)
        return FALSE;
    if (old)
        *old = dc->position;
    dc->position = POINT{x, y};
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y)
{
    DC* dc = findDC(hdc);
    if (!dc)
        return FALSE;
    drawLine(*dc, dc->position.x, dc->position.y, x, y);
    dc->position = POINT{x, y};
    return TRUE;
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH handle)
{
    DC* dc = findDC(hdc);
    Brush* brush = find<Brush>(handle, Kind::Brush);
    if (!dc || !rect || !brush)
        return 0;
    if (!dc->bitmap || brush->style == BS_NULL)
        return 1;
    const RECT area = drawableArea(*dc);
    const int left = std::max<int>(rect->left, area.left);
    const int right = std::min<int>(rect->right, area.right);
    const int top = std::max<int>(rect->top, area.top);
    const int bottom = std::min<int>(rect->bottom, area.bottom);
    const uint32_t colour = pixelFor(*dc->bitmap, brush->color);
    touch(*dc, left, top, right, bottom);
    for (int y = top; y < bottom; ++y)
    {
        uint32_t* row = dc->bitmap->row(y);
        for (int x = left; x < right; ++x)
            row[x] = colour;
    }
    return 1;
}

// The pen's outline lies inside the box; with the null pen the filled shape is one pixel smaller
// in both directions, as on Windows.
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom)
{
    DC* dc = findDC(hdc);
    if (!dc)
        return FALSE;
    if (!dc->bitmap)
        return TRUE;
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    const bool outline = dc->pen->style != PS_NULL;
    const EllipseShape outer = outline ? EllipseShape(left, top, right, bottom)
                                       : EllipseShape(left, top, right - 1, bottom - 1);
    const double w = outline ? dc->pen->width : 0;
    const EllipseShape inner(outer.cx - outer.rx + w, outer.cy - outer.ry + w,
                             outer.cx + outer.rx - w, outer.cy + outer.ry - w);
    const bool fill = dc->brush->style != BS_NULL;
    const uint32_t brush = pixelFor(*dc->bitmap, dc->brush->color);
    const uint32_t pen = pixelFor(*dc->bitmap, dc->pen->color);
    const RECT area = drawableArea(*dc);
    touch(*dc, std::max<int>(left, area.left), std::max<int>(top, area.top),
          std::min<int>(right, area.right), std::min<int>(bottom, area.bottom));
    for (int y = std::max<int>(top, area.top); y < std::min<int>(bottom, area.bottom); ++y)
    {
        uint32_t* row = dc->bitmap->row(y);
        for (int x = std::max<int>(left, area.left); x < std::min<int>(right, area.right); ++x)
        {
            if (!outer.contains(x, y))
                continue;
            const bool interior = !outline || inner.contains(x, y);
            if (interior && !fill)
                continue;
            row[x] = applyRop2(dc->rop2, interior ? brush : pen, row[x]);
        }
    }
    return TRUE;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color)
{
    DC* dc = findDC(hdc);
    if (!dc || !dc->bitmap)
        return CLR_INVALID;
    const RECT area = drawableArea(*dc);
    if (x < area.left || x >= area.right || y < area.top || y >= area.bottom)
        return CLR_INVALID;
    const uint32_t p = pixelFor(*dc->bitmap, color);
    dc->bitmap->row(y)[x] = p;
    touch(*dc, x, y, x + 1, y + 1);
    return colorOf(p);
}

COLORREF GetPixel(HDC hdc, int x, int y)
{
    DC* dc = findDC(hdc);
    if (!dc || !dc->bitmap)
        return CLR_INVALID;
    const RECT area = drawableArea(*dc);
    if (x < area.left || x >= area.right || y < area.top || y >= area.bottom)
        return CLR_INVALID;
    return colorOf(dc->bitmap->row(y)[x]);
}
