// Object registry, creation, selection and deletion of pens, brushes, fonts, bitmaps and regions.
#include "platform/GdiObjects.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_set>

namespace qev::platform
{
namespace
{

// Objects are made on every thread that makes a plug-in instance (its editor loads its
// pictures then), so the registry takes a lock; drawing itself stays on one thread per window.
struct Registry
{
    std::mutex lock;
    std::unordered_set<const GdiObject*> live;
    GdiCounts counts;
};

Registry& registry()
{
    static Registry r;
    return r;
}

struct StockObjects
{
    Brush brushes[6];
    Pen pens[3];
    Font systemFont;
    Font guiFont;
    Bitmap monoBitmap{1, 1, 1};
    Brush systemBrushes[kSystemColourCount];

    StockObjects()
    {
        const COLORREF brushColors[6] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128),
                                         RGB(64, 64, 64),    RGB(0, 0, 0),       RGB(0, 0, 0)};
        for (int i = 0; i < 6; ++i)
        {
            brushes[i].color = brushColors[i];
            adopt(brushes[i]);
        }
        brushes[NULL_BRUSH].style = BS_NULL;
        const COLORREF penColors[3] = {RGB(255, 255, 255), RGB(0, 0, 0), RGB(0, 0, 0)};
        for (int i = 0; i < 3; ++i)
        {
            pens[i].color = penColors[i];
            adopt(pens[i]);
        }
        pens[NULL_PEN - WHITE_PEN].style = PS_NULL;
        describeFont(systemFont.log, 16, FW_BOLD);
        describeFont(guiFont.log, -11, FW_NORMAL);
        adopt(systemFont);
        adopt(guiFont);
        adopt(monoBitmap);
        for (int i = 0; i < kSystemColourCount; ++i)
        {
            systemBrushes[i].color = GetSysColor(i);
            adopt(systemBrushes[i]);
        }
    }

    static void describeFont(LOGFONTA& lf, LONG height, LONG weight)
    {
        lf.lfHeight = height;
        lf.lfWeight = weight;
        lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
        std::strcpy(lf.lfFaceName, "Arial");
    }

    static void adopt(GdiObject& o)
    {
        o.stock = true;
        Registry& r = registry();
        std::lock_guard<std::mutex> guard(r.lock);
        r.live.insert(&o);
    }
};

StockObjects& stock()
{
    static StockObjects s;
    return s;
}

// Selects `incoming` into the slot, answering the object it replaces.
template <class T> T* swapSelection(T*& slot, T* incoming)
{
    T* previous = slot;
    retain(incoming);
    slot = incoming;
    if (previous)
    {
        --previous->selections; // the caller gets it back; release() would delete pending ones
        if (previous->selections == 0 && previous->deletePending)
        {
            destroyObject(previous);
            return nullptr;
        }
    }
    return previous;
}

HGDIOBJ selectInto(DC& dc, GdiObject& o)
{
    switch (o.kind)
    {
    case Kind::Pen:
        return swapSelection(dc.pen, static_cast<Pen*>(&o));
    case Kind::Brush:
        return swapSelection(dc.brush, static_cast<Brush*>(&o));
    case Kind::Font:
        return swapSelection(dc.font, static_cast<Font*>(&o));
    case Kind::Bitmap:
    {
        auto& bitmap = static_cast<Bitmap&>(o);
        if (!dc.memory)
            return nullptr;
        if (bitmap.selections > 0 && dc.bitmap != &bitmap && !bitmap.stock)
            return nullptr; // a bitmap lives in one DC at a time
        return swapSelection(dc.bitmap, &bitmap);
    }
    case Kind::Region:
        return reinterpret_cast<HGDIOBJ>(
            static_cast<intptr_t>(SelectClipRgn(handleOf<HDC>(&dc), handleOf<HRGN>(&o))));
    case Kind::DC:
        break;
    }
    return nullptr;
}

template <class T> T* created(T* object)
{
    registerObject(object);
    return object;
}

} // namespace

void registerObject(GdiObject* object)
{
    stock(); // stock objects first, so that they never count
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    r.live.insert(object);
    ++r.counts.created;
    ++r.counts.alive;
}

GdiObject* findObject(const void* handle)
{
    if (!handle)
        return nullptr;
    stock();
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.live.find(static_cast<const GdiObject*>(handle));
    return it == r.live.end() ? nullptr : const_cast<GdiObject*>(*it);
}

void retain(GdiObject* object)
{
    if (object)
        ++object->selections;
}

void release(GdiObject* object)
{
    if (!object)
        return;
    --object->selections;
    if (object->selections == 0 && object->deletePending)
        destroyObject(object);
}

void destroyObject(GdiObject* object)
{
    if (object->stock)
        return;
    if (object->kind == Kind::DC)
    {
        auto* dc = static_cast<DC*>(object);
        release(dc->pen);
        release(dc->brush);
        release(dc->font);
        release(dc->bitmap);
    }
    {
        Registry& r = registry();
        std::lock_guard<std::mutex> guard(r.lock);
        r.live.erase(object);
        --r.counts.alive;
    }
    delete object;
}

Pen* stockPen(int index)
{
    return &stock().pens[index - WHITE_PEN];
}
Brush* stockBrush(int index)
{
    return &stock().brushes[index];
}
Font* stockFont(int index)
{
    return index == DEFAULT_GUI_FONT ? &stock().guiFont : &stock().systemFont;
}
Bitmap* stockBitmap()
{
    return &stock().monoBitmap;
}
Brush* systemColourBrush(int index)
{
    return index >= 0 && index < kSystemColourCount && index != 25 ? &stock().systemBrushes[index]
                                                                   : nullptr;
}

uint32_t pixelFor(const Bitmap& surface, COLORREF c)
{
    if (!surface.mono())
        return pixelOf(c);
    const int sum = GetRValue(c) + GetGValue(c) + GetBValue(c);
    return sum >= 384 ? 0xFFFFFFu : 0u;
}

GdiCounts gdiCounts()
{
    stock();
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    return r.counts;
}

PixelView bitmapPixels(HBITMAP handle)
{
    Bitmap* b = findBitmap(handle);
    if (!b)
        return {};
    return {b->pixels.data(), b->width, b->height, b->bitsPerPixel};
}

} // namespace qev::platform

using namespace qev::platform;

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h)
{
    DC* dc = findDC(hdc);
    GdiObject* o = findObject(h);
    if (!dc || !o || o->deletePending)
        return nullptr;
    return selectInto(*dc, *o);
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type)
{
    DC* dc = findDC(hdc);
    if (!dc)
        return nullptr;
    switch (type)
    {
    case OBJ_PEN:
        return dc->pen;
    case OBJ_BRUSH:
        return dc->brush;
    case OBJ_FONT:
        return dc->font;
    case OBJ_BITMAP:
        return dc->bitmap;
    default:
        return nullptr;
    }
}

BOOL DeleteObject(HGDIOBJ h)
{
    GdiObject* o = findObject(h);
    if (!o || o->kind == Kind::DC)
        return FALSE;
    if (o->stock)
        return TRUE;
    if (o->selections > 0)
        o->deletePending = true;
    else
        destroyObject(o);
    return TRUE;
}

HGDIOBJ GetStockObject(int i)
{
    if (i >= WHITE_BRUSH && i <= NULL_BRUSH)
        return stockBrush(i);
    if (i >= WHITE_PEN && i <= NULL_PEN)
        return stockPen(i);
    if (i == SYSTEM_FONT || i == DEFAULT_GUI_FONT)
        return stockFont(i);
    return nullptr;
}

DWORD GetObjectType(HGDIOBJ h)
{
    GdiObject* o = findObject(h);
    if (!o)
        return 0;
    switch (o->kind)
    {
    case Kind::Pen:
        return OBJ_PEN;
    case Kind::Brush:
        return OBJ_BRUSH;
    case Kind::Font:
        return OBJ_FONT;
    case Kind::Bitmap:
        return OBJ_BITMAP;
    case Kind::Region:
        return OBJ_REGION;
    case Kind::DC:
        return static_cast<DC*>(o)->memory ? OBJ_MEMDC : OBJ_DC;
    }
    return 0;
}

int GetObjectA(HANDLE h, int c, LPVOID pv)
{
    GdiObject* o = findObject(h);
    if (!o)
        return 0;
    auto answer = [&](const auto& record)
    {
        const int size = static_cast<int>(sizeof record);
        if (!pv)
            return size;
        if (c < size)
            return 0;
        std::memcpy(pv, &record, sizeof record);
        return size;
    };
    switch (o->kind)
    {
    case Kind::Bitmap:
    {
        auto* b = static_cast<Bitmap*>(o);
        BITMAP bm{};
        bm.bmWidth = b->width;
        bm.bmHeight = b->height;
        bm.bmPlanes = 1;
        bm.bmBitsPixel = static_cast<WORD>(b->bitsPerPixel);
        bm.bmWidthBytes = b->mono() ? ((b->width + 15) / 16) * 2 : b->width * 4;
        return answer(bm);
    }
    case Kind::Pen:
    {
        auto* p = static_cast<Pen*>(o);
        return answer(LOGPEN{p->style, POINT{p->width, 0}, p->color});
    }
    case Kind::Brush:
    {
        auto* b = static_cast<Brush*>(o);
        return answer(LOGBRUSH{b->style, b->color, 0});
    }
    case Kind::Font:
        return answer(static_cast<Font*>(o)->log);
    default:
        return 0;
    }
}

HPEN CreatePen(int style, int width, COLORREF color)
{
    LOGPEN lp{static_cast<UINT>(style), POINT{width, 0}, color};
    return CreatePenIndirect(&lp);
}

HPEN CreatePenIndirect(const LOGPEN* lp)
{
    if (!lp)
        return nullptr;
    auto* pen = new Pen;
    pen->width = std::max<int>(1, lp->lopnWidth.x);
    pen->color = lp->lopnColor & 0xFFFFFF;
    const UINT style = lp->lopnStyle & 0xF;
    if (style == PS_NULL)
        pen->style = PS_NULL;
    else if (style == PS_DOT && pen->width == 1)
        pen->style = PS_DOT;
    else
        pen->style = PS_SOLID;
    return handleOf<HPEN>(created(pen));
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    LOGBRUSH lb{BS_SOLID, color, 0};
    return CreateBrushIndirect(&lb);
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb)
{
    if (!lb || (lb->lbStyle != BS_SOLID && lb->lbStyle != BS_NULL))
        return nullptr;
    auto* brush = new Brush;
    brush->style = lb->lbStyle;
    brush->color = lb->lbColor & 0xFFFFFF;
    return handleOf<HBRUSH>(created(brush));
}

HFONT CreateFontIndirectA(const LOGFONTA* lf)
{
    if (!lf)
        return nullptr;
    auto* font = new Font;
    font->log = *lf;
    font->log.lfFaceName[LF_FACESIZE - 1] = '\0';
    return handleOf<HFONT>(created(font));
}

HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    auto* region = new Region;
    region->rect = RECT{std::min(left, right), std::min(top, bottom), std::max(left, right),
                        std::max(top, bottom)};
    return handleOf<HRGN>(created(region));
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits)
{
    if (width <= 0 || height <= 0 || planes != 1 || (bitCount != 1 && bitCount != 32))
        return nullptr;
    auto* bitmap = new Bitmap(width, height, static_cast<int>(bitCount));
    if (bits)
    {
        const auto* bytes = static_cast<const uint8_t*>(bits);
        if (bitCount == 1)
        {
            const int stride =
                ((width + 15) / 16) * 2; // rows of Win32 monochrome bits are WORD-aligned
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                {
                    const bool set = (bytes[y * stride + x / 8] >> (7 - x % 8)) & 1;
                    bitmap->row(y)[x] = set ? 0xFFFFFFu : 0u;
                }
        }
        else
        {
            for (size_t i = 0; i < bitmap->pixels.size(); ++i)
            {
                uint32_t p;
                std::memcpy(&p, bytes + i * 4, 4);
                bitmap->pixels[i] = p;
            }
        }
    }
    return handleOf<HBITMAP>(created(bitmap));
}
