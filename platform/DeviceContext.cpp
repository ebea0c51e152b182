// Device contexts: creation, the drawing state they carry, and their clip region.
#include "platform/GdiObjects.h"
#include "platform/Platform.h"

#include <algorithm>

namespace qev::platform
{
namespace
{

RECT intersect(const RECT& a, const RECT& b)
{
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (r.right < r.left)
        r.right = r.left;
    if (r.bottom < r.top)
        r.bottom = r.top;
    return r;
}

} // namespace

DC* createDC(bool memory)
{
    auto* dc = new DC;
    dc->memory = memory;
    registerObject(dc);
    dc->pen = stockPen(BLACK_PEN);
    dc->brush = stockBrush(WHITE_BRUSH);
    dc->font = stockFont(SYSTEM_FONT);
    dc->bitmap = memory ? stockBitmap() : nullptr;
    retain(dc->pen);
    retain(dc->brush);
    retain(dc->font);
    retain(dc->bitmap);
    return dc;
}

RECT drawableArea(const DC& dc)
{
    if (!dc.bitmap)
        return RECT{0, 0, 0, 0};
    RECT area{0, 0, dc.bitmap->width, dc.bitmap->height};
    if (dc.paintClipped)
        area = intersect(area, dc.paintClip);
    return dc.clipped ? intersect(area, dc.clip) : area;
}

void touch(DC& dc, int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top)
        return;
    RECT& t = dc.touched;
    if (t.right <= t.left || t.bottom <= t.top)
    {
        t = RECT{left, top, right, bottom};
        return;
    }
    t = RECT{std::min<LONG>(t.left, left), std::min<LONG>(t.top, top),
             std::max<LONG>(t.right, right), std::max<LONG>(t.bottom, bottom)};
}

HBITMAP selectedBitmap(HDC hdc)
{
    DC* dc = findDC(hdc);
    return dc && dc->memory ? handleOf<HBITMAP>(dc->bitmap) : nullptr;
}

} // namespace qev::platform

using namespace qev::platform;

HDC CreateCompatibleDC(HDC hdc)
{
    if (hdc && !findDC(hdc))
        return nullptr;
    return handleOf<HDC>(createDC(true));
}

BOOL DeleteDC(HDC hdc)
{
    DC* dc = findDC(hdc);
    if (!dc)
        return FALSE;
    destroyObject(dc);
    return TRUE;
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height)
{
    DC* dc = findDC(hdc);
    if (!dc || width <= 0 || height <= 0)
        return nullptr;
    // As on Windows: a memory DC's bitmaps match the bitmap selected into it, so a fresh memory DC
    // gives monochrome ones.
    const bool mono = dc->memory && dc->bitmap && dc->bitmap->mono();
    return CreateBitmap(width, height, 1, mono ? 1 : 32, nullptr);
}

int SelectClipRgn(HDC hdc, HRGN hrgn)
{
    DC* dc = findDC(hdc);
    if (!dc)
        return ERROR;
    if (!hrgn)
    {
        dc->clipped = false;
        return SIMPLEREGION;
    }
    Region* region = find<Region>(hrgn, Kind::Region);
    if (!region)
        return ERROR;
    dc->clipped = true;
    dc->clip = region->rect;
    const RECT area = drawableArea(*dc);
    return area.right > area.left && area.bottom > area.top ? SIMPLEREGION : NULLREGION;
}

int GetClipBox(HDC hdc, LPRECT rect)
{
    DC* dc = findDC(hdc);
    if (!dc || !rect)
        return ERROR;
    *rect = drawableArea(*dc);
    return rect->right > rect->left && rect->bottom > rect->top ? SIMPLEREGION : NULLREGION;
}

int SetBkMode(HDC hdc, int mode)
{
    DC* dc = findDC(hdc);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE))
        return 0;
    const int previous = dc->bkMode;
    dc->bkMode = mode;
    return previous;
}

int GetBkMode(HDC hdc)
{
    DC* dc = findDC(hdc);
    return dc ? dc->bkMode : 0;
}

COLORREF SetBkColor(HDC hdc, COLORREF color)
{
    DC* dc = findDC(hdc);
    if (!dc)
        return CLR_INVALID;
    const COLORREF previous = dc->bkColor;
    dc->bkColor = color & 0xFFFFFF;
    return previous;
}

COLORREF GetBkColor(HDC hdc)
{
    DC* dc = findDC(hdc);
    return dc ? dc->bkColor : CLR_INVALID;
}

COLORREF SetTextColor(HDC hdc, COLORREF color)
{
    DC* dc = findDC(hdc);
    if (!dc)
        return CLR_INVALID;
    const COLORREF previous = dc->textColor;
    dc->textColor = color & 0xFFFFFF;
    return previous;
}

COLORREF GetTextColor(HDC hdc)
{
    DC* dc = findDC(hdc);
    return dc ? dc->textColor : CLR_INVALID;
}

int SetROP2(HDC hdc, int rop2)
{
    DC* dc = findDC(hdc);
    if (!dc || rop2 < R2_BLACK || rop2 > R2_WHITE)
        return 0;
    const int previous = dc->rop2;
    dc->rop2 = rop2;
    return previous;
}

int GetROP2(HDC hdc)
{
    DC* dc = findDC(hdc);
    return dc ? dc->rop2 : 0;
}
