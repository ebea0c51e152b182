// The objects behind the GDI handles of the Linux layer. Internal to platform/.
#pragma once

#include "platform/Win32.h"

#include <cstdint>
#include <memory>
#include <vector>

#pragma GCC visibility push(hidden)

namespace qev::platform
{

class FontFace;

enum class Kind
{
    Pen,
    Brush,
    Font,
    Bitmap,
    Region,
    DC
};

// Every handle is the address of one of these. The registry of live objects lets each call reject
// handles that are null, stale or of the wrong kind.
struct GdiObject
{
    explicit GdiObject(Kind k) : kind(k) {}
    virtual ~GdiObject() = default;
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    Kind kind;
    bool stock = false;
    int selections = 0;         // DCs that have it selected
    bool deletePending = false; // DeleteObject came while it was selected
};

struct Pen : GdiObject
{
    Pen() : GdiObject(Kind::Pen) {}
    UINT style = PS_SOLID;
    int width = 1;
    COLORREF color = 0;
};

struct Brush : GdiObject
{
    Brush() : GdiObject(Kind::Brush) {}
    UINT style = BS_SOLID;
    COLORREF color = 0;
};

struct Font : GdiObject
{
    Font() : GdiObject(Kind::Font) {}
    LOGFONTA log{};
    std::shared_ptr<FontFace> face; // resolved on first use
};

// Pixels are 0x00RRGGBB; a monochrome bitmap holds only 0x000000 (0) and 0xFFFFFF (1).
struct Bitmap : GdiObject
{
    Bitmap(int w, int h, int bpp)
        : GdiObject(Kind::Bitmap), width(w), height(h), bitsPerPixel(bpp),
          pixels(static_cast<size_t>(w) * static_cast<size_t>(h), 0u)
    {
    }
    int width;
    int height;
    int bitsPerPixel;
    std::vector<uint32_t> pixels;

    bool mono() const { return bitsPerPixel == 1; }
    uint32_t* row(int y) { return pixels.data() + static_cast<size_t>(y) * width; }
};

struct Region : GdiObject
{
    Region() : GdiObject(Kind::Region) {}
    RECT rect{};
};

struct DC : GdiObject
{
    DC() : GdiObject(Kind::DC) {}
    bool memory = false;
    Bitmap* bitmap = nullptr; // the surface drawn into; null draws nothing
    Pen* pen = nullptr;
    Brush* brush = nullptr;
    Font* font = nullptr;
    int bkMode = OPAQUE;
    COLORREF bkColor = RGB(255, 255, 255);
    COLORREF textColor = RGB(0, 0, 0);
    int rop2 = R2_COPYPEN;
    POINT position{0, 0};
    bool clipped = false;
    RECT clip{};
    // A DC of one of our windows: the window it sends its drawing to, the bounding box of what
    // drawing changed since it was made, and the paint rectangle BeginPaint limits it to (beneath
    // whatever clip the program selects).
    HWND window = nullptr;
    RECT touched{};
    bool paintClipped = false;
    RECT paintClip{};
};

// A new DC with the defaults of a fresh one; a memory DC starts on the stock 1 x 1 bitmap.
DC* createDC(bool memory);
// Widens the DC's touched box by the rectangle (already cut down to what the DC may draw).
void touch(DC& dc, int left, int top, int right, int bottom);

// Registry.
void registerObject(GdiObject* object);
GdiObject* findObject(const void* handle);
template <class T> T* find(const void* handle, Kind kind)
{
    GdiObject* o = findObject(handle);
    return o && o->kind == kind ? static_cast<T*>(o) : nullptr;
}
inline DC* findDC(HDC hdc)
{
    return find<DC>(hdc, Kind::DC);
}
inline Bitmap* findBitmap(HBITMAP h)
{
    return find<Bitmap>(h, Kind::Bitmap);
}

// Selection bookkeeping: a deleted-while-selected object goes when its last DC lets go of it.
void retain(GdiObject* object);
void release(GdiObject* object);
void destroyObject(GdiObject* object);

// Handle conversions.
template <class H> H handleOf(GdiObject* o)
{
    return reinterpret_cast<H>(o);
}

Pen* stockPen(int index);
Brush* stockBrush(int index);
Font* stockFont(int index);
Bitmap* stockBitmap(); // the 1 x 1 monochrome bitmap of a new memory DC
// GetSysColor's indices run from 0 to 30 (25 is unused).
constexpr int kSystemColourCount = 31;
Brush* systemColourBrush(int index); // null for an unknown index

// The region a DC may draw into: its surface, cut down by its clip. Empty when there is no surface.
RECT drawableArea(const DC& dc);

// Colour conversions between COLORREF (0x00BBGGRR) and pixels (0x00RRGGBB).
inline uint32_t pixelOf(COLORREF c)
{
    return (static_cast<uint32_t>(GetRValue(c)) << 16) |
           (static_cast<uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}
inline COLORREF colorOf(uint32_t p)
{
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}
// A colour as it lands on a surface: monochrome surfaces take the nearer of black and white.
uint32_t pixelFor(const Bitmap& surface, COLORREF c);

} // namespace qev::platform

#pragma GCC visibility pop
