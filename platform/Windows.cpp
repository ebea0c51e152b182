// Window classes, our windows' lifetime, and what USER32 tells about windows.
#include "platform/WindowSystem.h"

#include "platform/GdiObjects.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <strings.h>

namespace qev::platform
{
namespace
{

constexpr int kMaxExtent = 32767; // X's limit for a window's size and position

WindowClass* findClass(LPCSTR name)
{
    if (!name)
        return nullptr;
    for (auto& c : windowSystem().classes)
    {
        if (IS_INTRESOURCE(name) ? c->atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(name))
                                 : strcasecmp(c->name.c_str(), name) == 0)
            return c.get();
    }
    return nullptr;
}

int clampExtent(int v)
{
    return std::clamp(v, 0, kMaxExtent);
}

// The visual, depth, colormap and root a child of `parent` gets.
struct ParentLook
{
    ::Window xid = 0;
    ::Window root = 0;
    Visual* visual = nullptr;
    int depth = 0;
    Colormap colormap = 0;
};

bool lookOfParent(Display* display, HWND parent, ParentLook& look)
{
    if (WindowRecord* ours = findWindow(parent))
    {
        if (ours->dead)
            return false;
        look = ParentLook{ours->xid, ours->root, ours->format.visual, ours->format.depth, 0};
        XWindowAttributes a;
        if (!XGetWindowAttributes(display, ours->xid, &a))
            return false;
        look.colormap = a.colormap;
        return true;
    }
    if (!mayBeXid(parent))
        return false;
    XWindowAttributes a;
    if (!XGetWindowAttributes(display, xidOf(parent), &a) || a.c_class != InputOutput)
        return false;
    look = ParentLook{xidOf(parent), a.root, a.visual, a.depth, a.colormap};
    return true;
}

// The colormap of the parent serves when it has one; a parent without one gets a new one that
// the window owns (and X frees with the connection).
Colormap colormapFor(Display* display, const ParentLook& look)
{
    if (look.colormap != 0)
        return look.colormap;
    return XCreateColormap(display, look.root, look.visual, AllocNone);
}

::Window createXWindow(Display* display, const ParentLook& look, int x, int y, int w, int h)
{
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = 0; // None: nothing cleared before we paint
    attributes.border_pixel = 0;
    attributes.colormap = colormapFor(display, look);
    attributes.bit_gravity = NorthWestGravity;
    attributes.event_mask =
        ExposureMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;
    return XCreateWindow(
        display, look.xid, x, y, static_cast<unsigned>(std::max(1, w)),
        static_cast<unsigned>(std::max(1, h)), 0, look.depth, InputOutput, look.visual,
        CWBackPixmap | CWBorderPixel | CWColormap | CWBitGravity | CWEventMask, &attributes);
}

void removeRecord(::Window xid)
{
    WindowSystem& ws = windowSystem();
    auto it = std::find_if(ws.windows.begin(), ws.windows.end(),
                           [&](const auto& w) { return w->xid == xid; });
    if (it == ws.windows.end())
        return;
    WindowRecord& w = **it;
    detachSurface(w);
    if (w.windowClass)
        --w.windowClass->windows;
    if (Display* display = connection())
    {
        if (w.gc)
            XFreeGC(display, w.gc);
    }
    forgetMessagesOf(w.handle());
    ws.windows.erase(it);
}

// WM_DESTROY to the window, then to its children of ours, WM_NCDESTROY from the bottom up, and
// finally the records: as Win32 orders it.
void destroyTree(HWND hwnd)
{
    WindowRecord* w = findWindow(hwnd);
    if (!w || w->destroying)
        return;
    w->destroying = true;
    callProcedure(hwnd, WM_DESTROY, 0, 0);
    std::vector<HWND> children;
    for (auto& c : windowSystem().windows)
        if (c->parentIsOurs && c->parent == hwnd)
            children.push_back(c->handle());
    for (HWND child : children)
        destroyTree(child);
    callProcedure(hwnd, WM_NCDESTROY, 0, 0);
    removeRecord(xidOf(hwnd));
}

void markTreeDead(HWND hwnd)
{
    for (auto& w : windowSystem().windows)
        if (w->handle() == hwnd || (w->parentIsOurs && isWithin(w->handle(), hwnd)))
            w->dead = true;
}

bool screenOrigin(Display* display, HWND hwnd, POINT& origin)
{
    if (!hwnd)
    {
        origin = POINT{0, 0};
        return true;
    }
    WindowRecord* ours = findWindow(hwnd);
    if ((ours && ours->dead) || (!ours && !mayBeXid(hwnd)))
        return false;
    const ::Window xid = xidOf(hwnd);
    ::Window root = ours ? ours->root : 0;
    if (!root)
    {
        XWindowAttributes a;
        if (!XGetWindowAttributes(display, xid, &a))
            return false;
        root = a.root;
    }
    int x = 0;
    int y = 0;
    ::Window child = 0;
    if (!XTranslateCoordinates(display, xid, root, 0, 0, &x, &y, &child))
        return false;
    origin = POINT{x, y};
    return true;
}

// A foreign window's parent, or 0 for the root (or on failure).
::Window foreignParent(Display* display, ::Window xid, ::Window* rootOut = nullptr)
{
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, xid, &root, &parent, &children, &count))
        return 0;
    if (children)
        XFree(children);
    if (rootOut)
        *rootOut = root;
    return parent == root ? 0 : parent;
}

struct Geometry
{
    LONG width = 0;
    LONG height = 0;
    LONG border = 0;
};

bool foreignGeometry(Display* display, ::Window xid, Geometry& g)
{
    ::Window root = 0;
    int x = 0;
    int y = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned border = 0;
    unsigned depth = 0;
    if (!XGetGeometry(display, xid, &root, &x, &y, &width, &height, &border, &depth))
        return false;
    g = Geometry{static_cast<LONG>(width), static_cast<LONG>(height), static_cast<LONG>(border)};
    return true;
}

bool managedByWindowManager(Display* display, ::Window xid)
{
    const Atom wmState = XInternAtom(display, "WM_STATE", True);
    if (wmState == 0)
        return false;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, xid, wmState, 0, 0, False, AnyPropertyType,
                                          &type, &format, &count, &after, &data);
    if (data)
        XFree(data);
    return status == Success && type != 0;
}

LONG foreignStyle(Display* display, ::Window xid)
{
    XWindowAttributes a;
    if (!XGetWindowAttributes(display, xid, &a))
        return 0;
    ::Window root = 0;
    const bool topLevel = foreignParent(display, xid, &root) == 0 && root != 0;
    LONG style = a.map_state == IsViewable ? WS_VISIBLE : 0;
    style |= topLevel || managedByWindowManager(display, xid) ? WS_CAPTION : WS_CHILD;
    return style;
}

int foreignClassName(Display* display, ::Window xid, LPSTR out, int max)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, xid, XA_WM_CLASS, 0, 256, False, XA_STRING, &type, &format,
                           &count, &after, &data) != Success ||
        !data)
        return 0;
    // "instance\0class\0": the class is the second string.
    const char* text = reinterpret_cast<const char*>(data);
    const size_t first = strnlen(text, count);
    int copied = 0;
    if (first + 1 < count)
    {
        const char* cls = text + first + 1;
        const size_t length = strnlen(cls, count - first - 1);
        copied = static_cast<int>(std::min<size_t>(length, static_cast<size_t>(max - 1)));
        std::memcpy(out, cls, static_cast<size_t>(copied));
    }
    out[copied] = '\0';
    XFree(data);
    return copied;
}

} // namespace

WindowRecord::WindowRecord() = default;
WindowRecord::~WindowRecord() = default;

WindowRecord* findWindow(::Window xid)
{
    if (!xid)
        return nullptr;
    for (auto& w : windowSystem().windows)
        if (w->xid == xid)
            return w.get();
    return nullptr;
}

WindowRecord* findWindow(HWND hwnd)
{
    return mayBeXid(hwnd) ? findWindow(xidOf(hwnd)) : nullptr;
}

bool mayBeXid(HWND hwnd)
{
    const uintptr_t v = reinterpret_cast<uintptr_t>(hwnd);
    return v != 0 && v <= 0x1FFFFFFFu;
}

bool isWithin(HWND window, HWND ancestor)
{
    for (WindowRecord* w = findWindow(window); w;
         w = w->parentIsOurs ? findWindow(w->parent) : nullptr)
        if (w->handle() == ancestor)
            return true;
    return false;
}

LRESULT callProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowRecord* w = findWindow(hwnd);
    if (!w || !w->procedure)
        return 0;
    const WNDPROC procedure = w->procedure;
    BusyScope busy;
    return procedure(hwnd, message, wParam, lParam);
}

void markDead(::Window xid)
{
    if (WindowRecord* w = findWindow(xid))
        w->dead = true;
}

void windowDestroyedByServer(::Window xid)
{
    WindowRecord* w = findWindow(xid);
    if (!w)
        return;
    const HWND hwnd = w->handle();
    markTreeDead(hwnd);
    destroyTree(hwnd);
}

bool setPopupIdleHook(HWND window, PopupIdleHook hook, void* context)
{
    WindowRecord* w = findWindow(window);
    if (!w)
        return false;
    w->popupHook = hook;
    w->popupHookContext = context;
    return true;
}

} // namespace qev::platform

using namespace qev::platform;

ATOM RegisterClassA(const WNDCLASSA* wc)
{
    if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) || !wc->lpfnWndProc)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (findClass(wc->lpszClassName))
    {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    WindowSystem& ws = windowSystem();
    auto c = std::make_unique<WindowClass>();
    c->name = wc->lpszClassName;
    c->atom = ws.nextAtom++;
    if (ws.nextAtom == 0)
        ws.nextAtom = 0xC000;
    c->style = wc->style;
    c->procedure = wc->lpfnWndProc;
    c->instance = wc->hInstance;
    c->cursor = wc->hCursor;
    c->background = wc->hbrBackground;
    const ATOM atom = c->atom;
    ws.classes.push_back(std::move(c));
    return atom;
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE)
{
    WindowClass* c = findClass(className);
    if (!c)
    {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (c->windows > 0)
    {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    auto& classes = windowSystem().classes;
    classes.erase(
        std::find_if(classes.begin(), classes.end(), [&](const auto& p) { return p.get() == c; }));
    if (classes.empty())
        classes.shrink_to_fit();
    return TRUE;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param)
{
    if (!onWindowThread())
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    WindowClass* windowClass = findClass(className);
    if (!windowClass)
    {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (!(style & WS_CHILD) || !parent)
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    BusyScope busy;
    Display* display = openConnection();
    if (!display)
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    ParentLook look;
    if (!lookOfParent(display, parent, look))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    PixelFormat format;
    if (!PixelFormat::describe(display, look.visual, look.depth, format))
    {
        std::fprintf(stderr,
                     "QEV Phaser: the host window's visual (class %d, depth %d) cannot be drawn "
                     "on; the editor needs a TrueColor visual of 16, 24 or 32 bits\n",
                     look.visual ? look.visual->c_class : -1, look.depth);
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    if (x == CW_USEDEFAULT)
        x = 0;
    if (y == CW_USEDEFAULT)
        y = 0;
    width = width == CW_USEDEFAULT ? 0 : clampExtent(width);
    height = height == CW_USEDEFAULT ? 0 : clampExtent(height);
    x = std::clamp(x, -kMaxExtent, kMaxExtent);
    y = std::clamp(y, -kMaxExtent, kMaxExtent);

    const unsigned long start = NextRequest(display);
    const ::Window xid = createXWindow(display, look, x, y, width, height);
    auto record = std::make_unique<WindowRecord>();
    record->xid = xid;
    record->root = look.root;
    record->windowClass = windowClass;
    record->procedure = windowClass->procedure;
    record->id = static_cast<LONG_PTR>(reinterpret_cast<uintptr_t>(menu));
    record->style = style;
    record->exStyle = exStyle;
    record->parent = parent;
    record->parentIsOurs = findWindow(parent) != nullptr;
    record->width = width;
    record->height = height;
    record->format = format;
    XGCValues values{};
    values.graphics_exposures = False;
    record->gc = XCreateGC(display, xid, GCGraphicsExposures, &values);
    if (::Cursor cursor = xCursorOf(windowClass->cursor))
        XDefineCursor(display, xid, cursor);
    const HWND hwnd = record->handle();
    ++windowClass->windows;
    windowSystem().windows.push_back(std::move(record));
    if (failedSince(start))
    {
        markDead(xid);
        removeRecord(xid);
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }

    CREATESTRUCTA create{
        param,      instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
        windowName, className, exStyle};
    const LPARAM createParam = reinterpret_cast<LPARAM>(&create);
    if (!callProcedure(hwnd, WM_NCCREATE, 0, createParam) ||
        callProcedure(hwnd, WM_CREATE, 0, createParam) == -1)
    {
        DestroyWindow(hwnd);
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    WindowRecord* w = findWindow(hwnd);
    if (!w)
        return nullptr;
    if (style & WS_VISIBLE)
        ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

BOOL DestroyWindow(HWND hwnd)
{
    WindowRecord* w = findWindow(hwnd);
    if (!w || w->destroying)
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (!onWindowThread())
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    BusyScope busy;
    const bool dead = w->dead;
    destroyTree(hwnd);
    if (Display* display = connection(); display && !dead)
    {
        XDestroyWindow(display, xidOf(hwnd));
        XFlush(display);
    }
    return TRUE;
}

BOOL IsWindow(HWND hwnd)
{
    if (WindowRecord* w = findWindow(hwnd))
        return !w->destroying;
    Display* display = connection();
    XWindowAttributes a;
    return display && mayBeXid(hwnd) && XGetWindowAttributes(display, xidOf(hwnd), &a) ? TRUE
                                                                                       : FALSE;
}

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowRecord* w = findWindow(hwnd);
    if (!w)
        return 0;
    switch (message)
    {
    case WM_NCCREATE:
        return TRUE;
    case WM_PAINT:
    {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
    {
        HBRUSH brush = w->windowClass ? w->windowClass->background : nullptr;
        HDC hdc = reinterpret_cast<HDC>(wParam);
        RECT box;
        if (!brush || GetClipBox(hdc, &box) == ERROR)
            return 0;
        FillRect(hdc, &box, brush);
        return 1;
    }
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        return w->parentIsOurs ? SendMessageA(w->parent, message, wParam, lParam) : 0;
    default:
        return 0;
    }
}

LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value)
{
    WindowRecord* w = findWindow(hwnd);
    if (!w)
    {
        SetLastError(mayBeXid(hwnd) ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LONG_PTR previous = 0;
    switch (index)
    {
    case GWLP_USERDATA:
        previous = w->userData;
        w->userData = value;
        break;
    case GWLP_WNDPROC:
        if (!value)
            break;
        previous = reinterpret_cast<LONG_PTR>(w->procedure);
        w->procedure = reinterpret_cast<WNDPROC>(value);
        break;
    case GWLP_ID:
        previous = w->id;
        w->id = value;
        break;
    case GWL_STYLE:
        previous = static_cast<LONG>(w->style);
        w->style = static_cast<DWORD>(value);
        break;
    case GWL_EXSTYLE:
        previous = static_cast<LONG>(w->exStyle);
        w->exStyle = static_cast<DWORD>(value);
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        break;
    }
    return previous;
}

LONG_PTR GetWindowLongPtrA(HWND hwnd, int index)
{
    WindowRecord* w = findWindow(hwnd);
    if (!w)
        return index == GWL_STYLE || index == GWL_EXSTYLE ? GetWindowLongA(hwnd, index) : 0;
    switch (index)
    {
    case GWLP_USERDATA:
        return w->userData;
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(w->procedure);
    case GWLP_ID:
        return w->id;
    case GWLP_HINSTANCE:
        return w->windowClass ? reinterpret_cast<LONG_PTR>(w->windowClass->instance) : 0;
    case GWLP_HWNDPARENT:
        return reinterpret_cast<LONG_PTR>(w->parent);
    case GWL_STYLE:
        return static_cast<LONG>(w->style);
    case GWL_EXSTYLE:
        return static_cast<LONG>(w->exStyle);
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
}

LONG GetWindowLongA(HWND hwnd, int index)
{
    if (WindowRecord* w = findWindow(hwnd))
    {
        if (index == GWL_STYLE)
            return static_cast<LONG>(w->style);
        if (index == GWL_EXSTYLE)
            return static_cast<LONG>(w->exStyle);
        if (index == GWL_ID)
            return static_cast<LONG>(w->id);
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Display* display = connection();
    if (!display || !mayBeXid(hwnd))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return index == GWL_STYLE ? foreignStyle(display, xidOf(hwnd)) : 0;
}

HWND GetParent(HWND hwnd)
{
    if (WindowRecord* w = findWindow(hwnd))
        return w->parent;
    Display* display = connection();
    if (!display || !mayBeXid(hwnd))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(foreignParent(display, xidOf(hwnd))));
}

int GetClassNameA(HWND hwnd, LPSTR className, int maxCount)
{
    if (!className || maxCount <= 0)
        return 0;
    className[0] = '\0';
    if (WindowRecord* w = findWindow(hwnd))
    {
        const std::string& name = w->windowClass->name;
        const int n = std::min(static_cast<int>(name.size()), maxCount - 1);
        std::memcpy(className, name.data(), static_cast<size_t>(n));
        className[n] = '\0';
        return n;
    }
    Display* display = connection();
    if (!display || !mayBeXid(hwnd))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return foreignClassName(display, xidOf(hwnd), className, maxCount);
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect)
{
    Display* display = connection();
    if (!rect || !display)
        return FALSE;
    POINT origin;
    if (!screenOrigin(display, hwnd, origin) || !hwnd)
        return FALSE;
    if (WindowRecord* w = findWindow(hwnd))
    {
        *rect = RECT{origin.x, origin.y, origin.x + w->width, origin.y + w->height};
        return TRUE;
    }
    Geometry g;
    if (!foreignGeometry(display, xidOf(hwnd), g))
        return FALSE;
    *rect = RECT{origin.x - g.border, origin.y - g.border, origin.x + g.width + g.border,
                 origin.y + g.height + g.border};
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect)
{
    if (!rect)
        return FALSE;
    if (WindowRecord* w = findWindow(hwnd))
    {
        *rect = RECT{0, 0, w->width, w->height};
        return TRUE;
    }
    Display* display = connection();
    Geometry g;
    if (!display || !mayBeXid(hwnd) || !foreignGeometry(display, xidOf(hwnd), g))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *rect = RECT{0, 0, g.width, g.height};
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count)
{
    Display* display = connection();
    POINT a{0, 0};
    POINT b{0, 0};
    if ((from || to) &&
        (!display || !screenOrigin(display, from, a) || !screenOrigin(display, to, b)))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const LONG dx = a.x - b.x;
    const LONG dy = a.y - b.y;
    for (UINT i = 0; points && i < count; ++i)
    {
        points[i].x += dx;
        points[i].y += dy;
    }
    SetLastError(ERROR_SUCCESS);
    return MAKELONG(dx, dy);
}

BOOL SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags)
{
    WindowRecord* w = findWindow(hwnd);
    Display* display = connection();
    if (!w || !display)
    {
        SetLastError(w ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (w->dead)
        return FALSE;
    if (!(flags & SWP_NOMOVE))
        XMoveWindow(display, w->xid, std::clamp(x, -kMaxExtent, kMaxExtent),
                    std::clamp(y, -kMaxExtent, kMaxExtent));
    const int width = clampExtent(cx);
    const int height = clampExtent(cy);
    const bool resize = !(flags & SWP_NOSIZE) && (width != w->width || height != w->height);
    if (resize)
    {
        XResizeWindow(display, w->xid, static_cast<unsigned>(std::max(1, width)),
                      static_cast<unsigned>(std::max(1, height)));
        detachSurface(*w);
        w->width = width;
        w->height = height;
        // The kept pixels went with the surface: all that shows is painted again.
        w->update = RECT{};
        invalidate(*w, RECT{0, 0, width, height}, true);
    }
    if (flags & SWP_SHOWWINDOW)
        ShowWindow(hwnd, SW_SHOW);
    if (flags & SWP_HIDEWINDOW)
        ShowWindow(hwnd, SW_HIDE);
    XFlush(display);
    if (resize)
        callProcedure(hwnd, WM_SIZE, 0, MAKELPARAM(width, height));
    return TRUE;
}

BOOL ShowWindow(HWND hwnd, int command)
{
    WindowRecord* w = findWindow(hwnd);
    Display* display = connection();
    if (!w || !display || w->dead)
        return FALSE;
    const BOOL wasVisible = w->visible ? TRUE : FALSE;
    const bool show = command != SW_HIDE;
    if (show == w->visible)
        return wasVisible;
    w->visible = show;
    if (show)
    {
        w->style |= WS_VISIBLE;
        XMapWindow(display, w->xid);
        invalidate(*w, RECT{0, 0, w->width, w->height}, true);
    }
    else
    {
        w->style &= ~static_cast<DWORD>(WS_VISIBLE);
        XUnmapWindow(display, w->xid);
    }
    XFlush(display);
    return wasVisible;
}

int GetSystemMetrics(int index)
{
    switch (index)
    {
    case SM_CXSCREEN:
    case SM_CYSCREEN:
    {
        Display* display = connection();
        if (!display)
            return 0;
        Screen* screen = DefaultScreenOfDisplay(display);
        return index == SM_CXSCREEN ? WidthOfScreen(screen) : HeightOfScreen(screen);
    }
    case SM_CXFIXEDFRAME:
    case SM_CYFIXEDFRAME:
        return 3;
    default:
        return 0;
    }
}
