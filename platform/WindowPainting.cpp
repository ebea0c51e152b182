// Painting our windows: their DCs, update regions, and the pixels sent to X.
#include "platform/WindowSystem.h"

#include "platform/GdiObjects.h"

#include <X11/extensions/XShm.h>

#include <algorithm>
#include <cstring>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace qev::platform
{

// A window-sized image in memory shared with the server (MIT-SHM): a push is one copy into it and
// no pixels through the socket. Local servers only; anything else falls back to XPutImage.
struct SharedImage
{
    XShmSegmentInfo segment{};
    XImage* image = nullptr;
};

namespace
{

// Larger windows keep no pixels of their own: their DCs draw nothing.
constexpr long long kMaxSurfacePixels = 64LL * 1024 * 1024;

constexpr unsigned long kRed = 0xFF0000;
constexpr unsigned long kGreen = 0x00FF00;
constexpr unsigned long kBlue = 0x0000FF;

bool empty(const RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

RECT intersect(const RECT& a, const RECT& b)
{
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

RECT unite(const RECT& a, const RECT& b)
{
    if (empty(a))
        return b;
    if (empty(b))
        return a;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

// One channel of a pixel, moved to where the mask wants it and cut to its width.
uint32_t pack(uint32_t value8, unsigned long mask)
{
    const int shift = __builtin_ctzl(mask);
    const int bits = __builtin_popcountl(mask);
    const uint32_t v = bits >= 8 ? value8 << (bits - 8) : value8 >> (8 - bits);
    return (v << shift) & static_cast<uint32_t>(mask);
}

uint32_t convert(const PixelFormat& f, uint32_t p)
{
    return pack((p >> 16) & 0xFF, f.redMask) | pack((p >> 8) & 0xFF, f.greenMask) |
           pack(p & 0xFF, f.blueMask) | f.opaqueBits;
}

Bitmap* surfaceOf(WindowRecord& w)
{
    if (w.surface)
        return w.surface.get();
    const long long pixels = static_cast<long long>(w.width) * w.height;
    if (pixels <= 0 || pixels > kMaxSurfacePixels)
        return nullptr;
    try
    {
        w.surface = std::make_unique<Bitmap>(w.width, w.height, 32);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
    return w.surface.get();
}

DC* windowDC(WindowRecord& w)
{
    DC* dc = createDC(false);
    dc->window = w.handle();
    if (Bitmap* surface = surfaceOf(w))
    {
        dc->bitmap = surface;
        retain(surface);
    }
    w.dcs.push_back(dc);
    return dc;
}

void freeSharedImage(Display* display, SharedImage* shared)
{
    if (!shared)
        return;
    if (display && shared->image)
        XShmDetach(display, &shared->segment);
    if (shared->image)
        XFree(shared->image); // a shared image owns neither its pixels nor its segment record
    if (shared->segment.shmaddr && shared->segment.shmaddr != reinterpret_cast<char*>(-1))
        shmdt(shared->segment.shmaddr);
    delete shared;
}

bool sharedMemoryUsable(Display* display)
{
    WindowSystem& ws = windowSystem();
    if (ws.sharedMemory < 0)
        ws.sharedMemory = XShmQueryExtension(display) ? 1 : 0;
    return ws.sharedMemory == 1;
}

// Null when the server cannot share memory with us (a remote display): XPutImage then.
SharedImage* sharedImageOf(Display* display, WindowRecord& w)
{
    if (w.shared || !sharedMemoryUsable(display) || w.format.bitsPerPixel != 32)
        return w.shared;
    auto* shared = new SharedImage;
    shared->image = XShmCreateImage(
        display, w.format.visual, static_cast<unsigned>(w.format.depth), ZPixmap, nullptr,
        &shared->segment, static_cast<unsigned>(w.width), static_cast<unsigned>(w.height));
    if (shared->image)
        shared->segment.shmid = shmget(
            IPC_PRIVATE, static_cast<size_t>(shared->image->bytes_per_line) * shared->image->height,
            IPC_CREAT | 0600);
    if (!shared->image || shared->segment.shmid < 0)
    {
        if (shared->image)
            XFree(shared->image);
        delete shared;
        windowSystem().sharedMemory = 0;
        return nullptr;
    }
    shared->segment.shmaddr = static_cast<char*>(shmat(shared->segment.shmid, nullptr, 0));
    shared->image->data = shared->segment.shmaddr;
    shared->segment.readOnly = True;
    const unsigned long start = NextRequest(display);
    const bool attached = shared->segment.shmaddr != reinterpret_cast<char*>(-1) &&
                          XShmAttach(display, &shared->segment) && !failedSince(start);
    // Marked for removal at once: it goes when both sides have let go of it.
    shmctl(shared->segment.shmid, IPC_RMID, nullptr);
    if (!attached)
    {
        XFree(shared->image);
        shared->image = nullptr;
        freeSharedImage(nullptr, shared);
        windowSystem().sharedMemory = 0;
        return nullptr;
    }
    w.shared = shared;
    return shared;
}

void copyInto(const SharedImage& shared, const PixelFormat& f, const Bitmap& surface, const RECT& r)
{
    for (int y = r.top; y < r.bottom; ++y)
    {
        const uint32_t* in = surface.pixels.data() + static_cast<size_t>(y) * surface.width;
        auto* out = reinterpret_cast<uint32_t*>(
            shared.image->data + static_cast<size_t>(y) * shared.image->bytes_per_line);
        if (f.direct)
            std::memcpy(out + r.left, in + r.left, static_cast<size_t>(r.right - r.left) * 4);
        else
            for (int x = r.left; x < r.right; ++x)
                out[x] = convert(f, in[x]);
    }
}

void push(WindowRecord& w, const RECT& area)
{
    Display* display = connection();
    if (!display || w.dead || !w.surface)
        return;
    const RECT r = intersect(area, RECT{0, 0, w.surface->width, w.surface->height});
    if (empty(r))
        return;
    if (SharedImage* shared = sharedImageOf(display, w))
    {
        copyInto(*shared, w.format, *w.surface, r);
        XShmPutImage(display, w.xid, w.gc, shared->image, r.left, r.top, r.left, r.top,
                     static_cast<unsigned>(r.right - r.left),
                     static_cast<unsigned>(r.bottom - r.top), False);
        // The segment is written again by the next push: the server must have read it by then.
        XSync(display, False);
        return;
    }
    putPixels(display, w.xid, w.gc, w.format, w.surface->pixels.data(), w.surface->width, r);
    XFlush(display);
}

void sendErase(WindowRecord& w, HDC hdc)
{
    w.erasePending = false;
    callProcedure(w.handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
}

} // namespace

bool PixelFormat::describe(Display* display, Visual* visual, int depth, PixelFormat& out)
{
    if (!visual || visual->c_class != TrueColor)
        return false;
    int bitsPerPixel = 0;
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
    for (int i = 0; i < count; ++i)
        if (formats[i].depth == depth)
            bitsPerPixel = formats[i].bits_per_pixel;
    if (formats)
        XFree(formats);
    if (bitsPerPixel != 32 && bitsPerPixel != 16)
        return false;
    out = PixelFormat{};
    out.visual = visual;
    out.depth = depth;
    out.bitsPerPixel = bitsPerPixel;
    out.redMask = visual->red_mask;
    out.greenMask = visual->green_mask;
    out.blueMask = visual->blue_mask;
    if (!out.redMask || !out.greenMask || !out.blueMask)
        return false;
    const uint32_t depthBits = depth >= 32 ? 0xFFFFFFFFu : ((1u << depth) - 1u);
    out.opaqueBits = depthBits & ~static_cast<uint32_t>(out.redMask | out.greenMask | out.blueMask);
    out.direct = bitsPerPixel == 32 && out.redMask == kRed && out.greenMask == kGreen &&
                 out.blueMask == kBlue && out.opaqueBits == 0;
    return true;
}

void putPixels(Display* display, ::Drawable drawable, GC gc, const PixelFormat& f,
               const uint32_t* pixels, int stride, const RECT& r)
{
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    XImage image{};
    image.format = ZPixmap;
    image.byte_order = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? LSBFirst : MSBFirst;
    image.bitmap_unit = 32;
    image.bitmap_bit_order = image.byte_order;
    image.bitmap_pad = 32;
    image.depth = f.depth;
    image.bits_per_pixel = f.bitsPerPixel;
    image.red_mask = f.redMask;
    image.green_mask = f.greenMask;
    image.blue_mask = f.blueMask;
    int sourceX = 0;
    int sourceY = 0;
    if (f.direct)
    {
        // Our pixels are the visual's: the server reads the rectangle straight from the surface.
        image.width = stride;
        image.height = r.bottom;
        image.bytes_per_line = stride * 4;
        image.data = reinterpret_cast<char*>(const_cast<uint32_t*>(pixels));
        sourceX = r.left;
        sourceY = r.top;
    }
    else
    {
        std::vector<uint32_t>& scratch = windowSystem().scratch;
        const size_t perRow =
            f.bitsPerPixel == 32 ? static_cast<size_t>(w) : (static_cast<size_t>(w) + 1) / 2;
        scratch.resize(perRow * static_cast<size_t>(h));
        for (int y = 0; y < h; ++y)
        {
            const uint32_t* in = pixels + static_cast<size_t>(r.top + y) * stride + r.left;
            uint32_t* row = scratch.data() + perRow * static_cast<size_t>(y);
            if (f.bitsPerPixel == 32)
            {
                for (int x = 0; x < w; ++x)
                    row[x] = convert(f, in[x]);
            }
            else
            {
                auto* out = reinterpret_cast<uint16_t*>(row);
                for (int x = 0; x < w; ++x)
                    out[x] = static_cast<uint16_t>(convert(f, in[x]));
            }
        }
        image.width = w;
        image.height = h;
        image.bytes_per_line = static_cast<int>(perRow * 4);
        image.data = reinterpret_cast<char*>(scratch.data());
    }
    if (!XInitImage(&image))
        return;
    XPutImage(display, drawable, gc, &image, sourceX, sourceY, r.left, r.top,
              static_cast<unsigned>(w), static_cast<unsigned>(h));
}

bool releaseWindowDC(DC* dc)
{
    if (!dc || dc->memory)
        return false;
    if (WindowRecord* w = findWindow(dc->window))
    {
        auto& dcs = w->dcs;
        dcs.erase(std::remove(dcs.begin(), dcs.end(), dc), dcs.end());
        if (dc->bitmap)
            push(*w, dc->touched);
    }
    destroyObject(dc);
    return true;
}

void detachSurface(WindowRecord& w)
{
    for (DC* dc : w.dcs)
    {
        if (dc->bitmap)
            --dc->bitmap->selections;
        dc->bitmap = nullptr;
    }
    w.surface.reset();
    freeSharedImage(connection(), w.shared);
    w.shared = nullptr;
}

void invalidate(WindowRecord& w, const RECT& rect, bool erase)
{
    const RECT r = intersect(rect, RECT{0, 0, w.width, w.height});
    if (empty(r))
        return;
    w.update = unite(w.update, r);
    w.erasePending = w.erasePending || erase;
}

} // namespace qev::platform

using namespace qev::platform;

HDC GetDC(HWND hwnd)
{
    WindowRecord* w = connection() ? findWindow(hwnd) : nullptr;
    return handleOf<HDC>(w ? windowDC(*w) : createDC(false));
}

int ReleaseDC(HWND, HDC hdc)
{
    DC* dc = findDC(hdc);
    return releaseWindowDC(dc) ? 1 : 0;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT paint)
{
    WindowRecord* w = connection() ? findWindow(hwnd) : nullptr;
    if (!w || !paint)
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    std::memset(paint, 0, sizeof *paint);
    paint->rcPaint = w->hasUpdate() ? w->update : RECT{0, 0, 0, 0};
    const bool erase = w->erasePending && w->hasUpdate();
    w->update = RECT{};
    w->erasePending = false;
    DC* dc = windowDC(*w);
    dc->paintClipped = true;
    dc->paintClip = paint->rcPaint;
    paint->hdc = handleOf<HDC>(dc);
    if (erase)
    {
        sendErase(*w, paint->hdc);
        paint->fErase = FALSE;
    }
    return paint->hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* paint)
{
    if (!paint)
        return FALSE;
    releaseWindowDC(findDC(paint->hdc));
    return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase)
{
    WindowRecord* w = findWindow(hwnd);
    if (!w)
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    invalidate(*w, rect ? *rect : RECT{0, 0, w->width, w->height}, erase != FALSE);
    return TRUE;
}

// Differs from Win32 (the region is one rectangle): validating part of it keeps it whole, unless
// what is validated covers it.
BOOL ValidateRect(HWND hwnd, const RECT* rect)
{
    WindowRecord* w = findWindow(hwnd);
    if (!w)
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const RECT whole{0, 0, w->width, w->height};
    const RECT r = rect ? *rect : whole;
    if (r.left <= w->update.left && r.top <= w->update.top && r.right >= w->update.right &&
        r.bottom >= w->update.bottom)
    {
        w->update = RECT{};
        w->erasePending = false;
    }
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase)
{
    WindowRecord* w = findWindow(hwnd);
    if (!w)
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const bool any = w->hasUpdate();
    if (rect)
        *rect = any ? w->update : RECT{0, 0, 0, 0};
    if (any && erase && w->erasePending && connection())
    {
        DC* dc = windowDC(*w);
        dc->paintClipped = true;
        dc->paintClip = w->update;
        sendErase(*w, handleOf<HDC>(dc));
        releaseWindowDC(dc);
    }
    return any ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND hwnd)
{
    WindowRecord* w = findWindow(hwnd);
    if (!w)
        return FALSE;
    if (w->hasUpdate() && !w->dead)
        callProcedure(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}
