// Block copies between DCs: raster-operation blits, colour-keyed blits and constant-alpha blends.
#include "platform/GdiObjects.h"
#include "platform/Raster.h"

#include <algorithm>
#include <cstring>

namespace qev::platform
{
namespace
{

// How source pixels turn into destination pixels when the two surfaces differ in depth: colour to
// monochrome compares with the source's background colour (equal gives white, i.e. 1); monochrome
// to colour gives the destination's background colour for 1 and its text colour for 0.
struct Converter
{
    enum class Way
    {
        Same,
        ToMono,
        ToColour
    };
    Way way = Way::Same;
    uint32_t key = 0; // ToMono: the source background
    uint32_t one = 0; // ToColour: colour of 1 bits
    uint32_t zero = 0;

    Converter(const DC& src, const DC& dst)
    {
        if (src.bitmap->mono() && !dst.bitmap->mono())
        {
            way = Way::ToColour;
            one = pixelOf(dst.bkColor);
            zero = pixelOf(dst.textColor);
        }
        else if (!src.bitmap->mono() && dst.bitmap->mono())
        {
            way = Way::ToMono;
            key = pixelOf(src.bkColor);
        }
    }

    uint32_t operator()(uint32_t s) const
    {
        switch (way)
        {
        case Way::ToColour:
            return s ? one : zero;
        case Way::ToMono:
            return (s & 0xFFFFFFu) == key ? 0xFFFFFFu : 0u;
        case Way::Same:
            break;
        }
        return s & 0xFFFFFFu;
    }
};

// A copy of w x h pixels from (sx, sy) to (dx, dy), cut down to what both surfaces can give and
// take.
struct Span
{
    int dx, dy, sx, sy, w, h;

    bool clip(const RECT& dest, const Bitmap* source)
    {
        trim(dx, sx, w, dest.left, dest.right);
        trim(dy, sy, h, dest.top, dest.bottom);
        if (source)
        {
            trim(sx, dx, w, 0, source->width);
            trim(sy, dy, h, 0, source->height);
        }
        return w > 0 && h > 0;
    }

    static void trim(int& pos, int& other, int& size, int lo, int hi)
    {
        if (pos < lo)
        {
            const int d = lo - pos;
            pos += d;
            other += d;
            size -= d;
        }
        if (pos + size > hi)
            size = hi - pos;
    }
};

bool blit(DC& dst, int x, int y, int cx, int cy, DC* src, int x1, int y1, DWORD rop)
{
    if (!dst.bitmap)
        return true;
    const bool usesSource = ropUsesSource(rop);
    if (usesSource && (!src || !src->bitmap))
        return false;
    Span span{x, y, x1, y1, cx, cy};
    if (!span.clip(drawableArea(dst), usesSource ? src->bitmap : nullptr))
        return true;
    touch(dst, span.dx, span.dy, span.dx + span.w, span.dy + span.h);
    const uint32_t pattern =
        dst.brush->style == BS_NULL ? 0u : pixelFor(*dst.bitmap, dst.brush->color);
    if (!usesSource)
    {
        for (int j = 0; j < span.h; ++j)
        {
            uint32_t* d = dst.bitmap->row(span.dy + j) + span.dx;
            for (int i = 0; i < span.w; ++i)
                d[i] = applyRop3(rop, pattern, 0, d[i]);
        }
        return true;
    }
    const Converter convert(*src, dst);
    const bool overlapping = src->bitmap == dst.bitmap;
    std::vector<uint32_t> line(static_cast<size_t>(span.w));
    auto rowsInOrder = [&](int j) { return overlapping && span.sy < span.dy ? span.h - 1 - j : j; };
    for (int n = 0; n < span.h; ++n)
    {
        const int j = rowsInOrder(n);
        const uint32_t* s = src->bitmap->row(span.sy + j) + span.sx;
        for (int i = 0; i < span.w; ++i)
            line[i] = convert(s[i]);
        uint32_t* d = dst.bitmap->row(span.dy + j) + span.dx;
        if (rop == SRCCOPY)
            std::memcpy(d, line.data(), line.size() * sizeof(uint32_t));
        else
            for (int i = 0; i < span.w; ++i)
                d[i] = applyRop3(rop, pattern, line[i], d[i]);
    }
    return true;
}

// Visits each destination pixel of a possibly stretched copy, with the source pixel it maps to.
template <class Put>
void forEachMapped(DC& dst, int xd, int yd, int wd, int hd, const Bitmap& source, int xs, int ys,
                   int ws, int hs, Put put)
{
    const RECT area = drawableArea(dst);
    touch(dst, std::max<int>(xd, area.left), std::max<int>(yd, area.top),
          std::min<int>(xd + wd, area.right), std::min<int>(yd + hd, area.bottom));
    for (int j = 0; j < hd; ++j)
    {
        const int y = yd + j;
        const int sy = ys + static_cast<int>(static_cast<long long>(j) * hs / hd);
        if (y < area.top || y >= area.bottom || sy < 0 || sy >= source.height)
            continue;
        uint32_t* d = dst.bitmap->row(y);
        const uint32_t* s = source.pixels.data() + static_cast<size_t>(sy) * source.width;
        for (int i = 0; i < wd; ++i)
        {
            const int x = xd + i;
            const int sx = xs + static_cast<int>(static_cast<long long>(i) * ws / wd);
            if (x < area.left || x >= area.right || sx < 0 || sx >= source.width)
                continue;
            put(d[x], s[sx]);
        }
    }
}

uint8_t mix(uint32_t s, uint32_t d, int shift, unsigned sourceWeight, unsigned destWeight)
{
    const unsigned sc = (s >> shift) & 0xFF;
    const unsigned dc = (d >> shift) & 0xFF;
    return static_cast<uint8_t>(std::min(255u, (sc * sourceWeight + dc * destWeight + 127) / 255));
}

} // namespace
} // namespace qev::platform

using namespace qev::platform;

BOOL BitBlt(HDC dest, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop)
{
    DC* d = findDC(dest);
    DC* s = src ? findDC(src) : nullptr;
    if (!d || (src && !s))
        return FALSE;
    return blit(*d, x, y, cx, cy, s, x1, y1, rop) ? TRUE : FALSE;
}

BOOL TransparentBlt(HDC dest, int xDest, int yDest, int wDest, int hDest, HDC src, int xSrc,
                    int ySrc, int wSrc, int hSrc, UINT transparent)
{
    DC* d = findDC(dest);
    DC* s = findDC(src);
    if (!d || !s || wDest <= 0 || hDest <= 0 || wSrc <= 0 || hSrc <= 0)
        return FALSE;
    if (!d->bitmap || !s->bitmap)
        return TRUE;
    const Converter convert(*s, *d);
    const uint32_t key = pixelFor(*s->bitmap, transparent);
    forEachMapped(*d, xDest, yDest, wDest, hDest, *s->bitmap, xSrc, ySrc, wSrc, hSrc,
                  [&](uint32_t& out, uint32_t in)
                  {
                      if ((in & 0xFFFFFFu) != key)
                          out = convert(in);
                  });
    return TRUE;
}

// Source-over with a constant alpha, and with AC_SRC_ALPHA also the source's premultiplied
// per-pixel alpha (the top byte of each pixel).
BOOL AlphaBlend(HDC dest, int xDest, int yDest, int wDest, int hDest, HDC src, int xSrc, int ySrc,
                int wSrc, int hSrc, BLENDFUNCTION blend)
{
    DC* d = findDC(dest);
    DC* s = findDC(src);
    if (!d || !s || blend.BlendOp != AC_SRC_OVER || wDest <= 0 || hDest <= 0 || wSrc <= 0 ||
        hSrc <= 0)
        return FALSE;
    if (!d->bitmap || !s->bitmap)
        return TRUE;
    const unsigned constant = blend.SourceConstantAlpha;
    const bool perPixel = (blend.AlphaFormat & AC_SRC_ALPHA) != 0 && !s->bitmap->mono();
    const Converter convert(*s, *d);
    forEachMapped(*d, xDest, yDest, wDest, hDest, *s->bitmap, xSrc, ySrc, wSrc, hSrc,
                  [&](uint32_t& out, uint32_t in)
                  {
                      const unsigned a = perPixel ? ((in >> 24) * constant + 127) / 255 : constant;
                      const uint32_t c = convert(in);
                      const unsigned keep = 255 - a;
                      out = (static_cast<uint32_t>(mix(c, out, 16, constant, keep)) << 16) |
                            (static_cast<uint32_t>(mix(c, out, 8, constant, keep)) << 8) |
                            mix(c, out, 0, constant, keep);
                      if (d->bitmap->mono())
                          out = out >= 0x808080u ? 0xFFFFFFu : 0u;
                  });
    return TRUE;
}
