// Text measuring and drawing with the font selected into a DC.
#include "platform/FontFace.h"
#include "platform/GdiObjects.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace qev::platform
{
namespace
{

FontFace* faceOf(DC& dc)
{
    Font* font = dc.font;
    if (!font->face)
        font->face = FontFace::forFont(font->log);
    return font->face.get();
}

RECT intersect(const RECT& a, const RECT& b)
{
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

void fillArea(DC& dc, const RECT& r, uint32_t colour)
{
    Bitmap& surface = *dc.bitmap;
    touch(dc, r.left, r.top, r.right, r.bottom);
    for (int y = r.top; y < r.bottom; ++y)
        std::fill(surface.row(y) + r.left, surface.row(y) + std::max(r.left, r.right), colour);
}

// Blends the glyphs of one line in the text colour; (x, top) is the top left of the text cell.
// An opaque background mode first fills the cell with the background colour.
void drawRun(DC& dc, FontFace& face, int x, int top, const char* text, int count, RECT clip)
{
    if (!dc.bitmap)
        return;
    clip = intersect(clip, drawableArea(dc));
    if (clip.right <= clip.left || clip.bottom <= clip.top)
        return;
    Bitmap& surface = *dc.bitmap;
    const int width = face.measure(text, count);
    if (dc.bkMode == OPAQUE)
        fillArea(dc, intersect(clip, RECT{x, top, x + width, top + face.height()}),
                 pixelFor(surface, dc.bkColor));
    const uint32_t colour = pixelFor(surface, dc.textColor);
    const unsigned cr = (colour >> 16) & 0xFF;
    const unsigned cg = (colour >> 8) & 0xFF;
    const unsigned cb = colour & 0xFF;
    const int baseline = top + face.ascent();
    int pen = x;
    for (int i = 0; i < count; ++i)
    {
        const Glyph& g = face.glyph(static_cast<unsigned char>(text[i]));
        const int gx = pen + g.left;
        const int gy = baseline - g.top;
        const RECT ink = intersect(clip, RECT{gx, gy, gx + g.width, gy + g.height});
        touch(dc, ink.left, ink.top, ink.right, ink.bottom);
        for (int row = std::max(0, clip.top - gy); row < g.height && gy + row < clip.bottom; ++row)
        {
            uint32_t* out = surface.row(gy + row);
            const uint8_t* in = g.coverage.data() + static_cast<size_t>(row) * g.width;
            for (int col = std::max(0, clip.left - gx); col < g.width && gx + col < clip.right;
                 ++col)
            {
                const unsigned a = in[col];
                if (a == 0)
                    continue;
                uint32_t& p = out[gx + col];
                if (surface.mono())
                {
                    if (a >= 128)
                        p = colour;
                    continue;
                }
                const unsigned keep = 255 - a;
                const unsigned r = (cr * a + ((p >> 16) & 0xFF) * keep + 127) / 255;
                const unsigned gr = (cg * a + ((p >> 8) & 0xFF) * keep + 127) / 255;
                const unsigned b = (cb * a + (p & 0xFF) * keep + 127) / 255;
                p = (r << 16) | (gr << 8) | b;
            }
        }
        pen += g.advance;
    }
    if (dc.font->log.lfUnderline)
    {
        const int y = baseline + face.underlineOffset();
        fillArea(dc, intersect(clip, RECT{x, y, x + width, y + face.underlineThickness()}), colour);
    }
}

int lengthOf(LPCSTR text, int count)
{
    return count < 0 ? static_cast<int>(std::strlen(text)) : count;
}

// Without DT_NOPREFIX a single '&' disappears and "&&" stands for one '&'.
std::string withoutPrefixes(const char* text, int count)
{
    std::string out;
    for (int i = 0; i < count; ++i)
    {
        if (text[i] == '&' && i + 1 < count)
            ++i;
        else if (text[i] == '&')
            continue;
        out += text[i];
    }
    return out;
}

} // namespace
} // namespace qev::platform

using namespace qev::platform;

BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int count, LPSIZE size)
{
    DC* dc = findDC(hdc);
    if (!dc || !size || count < 0 || (!text && count > 0))
        return FALSE;
    FontFace* face = faceOf(*dc);
    if (!face)
        return FALSE;
    size->cx = face->measure(text, count);
    size->cy = face->height();
    return TRUE;
}

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int count)
{
    DC* dc = findDC(hdc);
    if (!dc || count < 0 || (!text && count > 0))
        return FALSE;
    FontFace* face = faceOf(*dc);
    if (!face)
        return FALSE;
    drawRun(*dc, *face, x, y, text, count, drawableArea(*dc));
    return TRUE;
}

int DrawTextA(HDC hdc, LPCSTR text, int count, LPRECT rect, UINT format)
{
    DC* dc = findDC(hdc);
    if (!dc || !rect || !text)
        return 0;
    FontFace* face = faceOf(*dc);
    if (!face)
        return 0;
    std::string line(text, static_cast<size_t>(lengthOf(text, count)));
    if (!(format & DT_NOPREFIX))
        line = withoutPrefixes(line.data(), static_cast<int>(line.size()));
    const int n = static_cast<int>(line.size());
    const int width = face->measure(line.data(), n);
    const int height = face->height();
    if (format & DT_CALCRECT)
    {
        rect->right = rect->left + width;
        rect->bottom = rect->top + height;
        return height;
    }
    int x = rect->left;
    if (format & DT_CENTER)
        x = rect->left + (rect->right - rect->left - width) / 2;
    else if (format & DT_RIGHT)
        x = rect->right - width;
    int y = rect->top;
    if (format & DT_VCENTER)
        y = rect->top + (rect->bottom - rect->top - height) / 2;
    else if (format & DT_BOTTOM)
        y = rect->bottom - height;
    const RECT clip = (format & DT_NOCLIP) ? drawableArea(*dc) : *rect;
    drawRun(*dc, *face, x, y, line.data(), n, clip);
    return height;
}
