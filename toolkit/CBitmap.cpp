#include "toolkit/CBitmap.h"

#include "platform/Platform.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/DrawingFacilities.h"

namespace toolkit
{
namespace
{

// A memory device context holding a bitmap for the length of one drawing operation.
class SelectedBitmap
{
public:
    SelectedBitmap(HDC compatibleWith, HBITMAP bitmap)
        : dc_(CreateCompatibleDC(compatibleWith)), previous_(SelectObject(dc_, bitmap))
    {
    }
    ~SelectedBitmap()
    {
        if (previous_)
            SelectObject(dc_, previous_);
        DeleteDC(dc_);
    }
    SelectedBitmap(const SelectedBitmap&) = delete;
    SelectedBitmap& operator=(const SelectedBitmap&) = delete;

    HDC dc() const { return dc_; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

} // namespace

CBitmap::CBitmap(int32_t resourceId)
{
    loadFromResource(resourceId);
    setTransparentColor(kTransparentCColor);
}

CBitmap::~CBitmap()
{
    dispose();
}

void CBitmap::dispose()
{
    if (handle)
        DeleteObject(handle);
    handle = nullptr;
    width = 0;
    height = 0;
}

bool CBitmap::loadFromResource(int32_t resourceId)
{
    dispose();
    handle = LoadBitmapA(qev::platform::moduleInstance(), MAKEINTRESOURCEA(resourceId & 0xFFFF));
    BITMAP description{};
    if (!handle || !GetObjectA(handle, sizeof description, &description))
        return false;
    width = description.bmWidth;
    height = description.bmHeight;
    return true;
}

bool CBitmap::loadFromFile(const char*)
{
    dispose();
    return false;
}

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset)
{
    if (!handle || !context)
        return;
    SelectedBitmap source(context->getSystemContext(), handle);
    BitBlt(context->getSystemContext(), rect.left + context->offset.h, rect.top + context->offset.v,
           rect.width(), rect.height(), source.dc(), offset.h, offset.v, SRCCOPY);
}

void CBitmap::drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset)
{
    if (!handle || !context)
        return;
    HDC target = context->getSystemContext();
    SelectedBitmap source(target, handle);
    const int dx = rect.left + context->offset.h;
    const int dy = rect.top + context->offset.v;
    const int w = rect.width();
    const int h = rect.height();
    const COLORREF key = RGB(transparentColor.red, transparentColor.green, transparentColor.blue);
    if (TransparentBltProc transparentBlt = drawingFacilities().transparentBlt)
    {
        transparentBlt(target, dx, dy, w, h, source.dc(), offset.h, offset.v, w, h, key);
        return;
    }
    SetBkColor(source.dc(), key);
    maskedBlit(target, source.dc(), dx, dy, w, h, offset.h, offset.v);
}

// The same picture as a transparent blit, from plain block copies: a mask that is 1 where the
// source has its background (the transparent) colour, then source XOR, mask AND, source XOR.
void CBitmap::maskedBlit(HDC target, HDC source, int dx, int dy, int w, int h, int sx, int sy) const
{
    HBITMAP monoBitmap = CreateBitmap(w, h, 1, 1, nullptr);
    if (!monoBitmap)
        return;
    {
        SelectedBitmap mask(target, monoBitmap);
        BitBlt(mask.dc(), 0, 0, w, h, source, sx, sy, SRCCOPY);
        const COLORREF oldBack = SetBkColor(target, RGB(255, 255, 255));
        const COLORREF oldText = SetTextColor(target, RGB(0, 0, 0));
        BitBlt(target, dx, dy, w, h, source, sx, sy, SRCINVERT);
        BitBlt(target, dx, dy, w, h, mask.dc(), 0, 0, SRCAND);
        BitBlt(target, dx, dy, w, h, source, sx, sy, SRCINVERT);
        SetBkColor(target, oldBack);
        SetTextColor(target, oldText);
    }
    DeleteObject(monoBitmap);
}

void CBitmap::drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset,
                             uint8_t alpha)
{
    const DrawingFacilities& facilities = drawingFacilities();
    if (!handle || !context || !facilities.alphaBlend)
        return;
    HDC target = context->getSystemContext();
    SelectedBitmap source(target, handle);
    const int dx = rect.left + context->offset.h;
    const int dy = rect.top + context->offset.v;
    const int w = rect.width();
    const int h = rect.height();
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, 0};
    if (!isWindows98(facilities.version))
    {
        facilities.alphaBlend(target, dx, dy, w, h, source.dc(), offset.h, offset.v, w, h, blend);
        return;
    }
    HBITMAP copy = CreateCompatibleBitmap(target, w, h);
    if (!copy)
        return;
    {
        SelectedBitmap area(target, copy);
        BitBlt(area.dc(), 0, 0, w, h, source.dc(), offset.h, offset.v, SRCCOPY);
        facilities.alphaBlend(target, dx, dy, w, h, area.dc(), 0, 0, w, h, blend);
    }
    DeleteObject(copy);
}

} // namespace toolkit
