// The module's X connection and the records behind our HWNDs. Internal to platform/.
//
// Everything here belongs to the thread that opened the connection: no locks, and every entry
// point checks the thread before it touches X (see onWindowThread). Records are found by id for
// each use and never kept across a call into a window procedure, which may destroy them.
#pragma once

#include "platform/Platform.h"
#include "platform/Win32.h"

#include <X11/Xlib.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#pragma GCC visibility push(hidden)

namespace qev::platform
{

struct Bitmap;
struct DC;
class MenuTracker;
struct SharedImage;

// How our 0x00RRGGBB pixels are packed for one visual: TrueColor, 16 or 32 bits per pixel.
struct PixelFormat
{
    Visual* visual = nullptr;
    int depth = 0;
    int bitsPerPixel = 0;
    unsigned long redMask = 0, greenMask = 0, blueMask = 0;
    uint32_t opaqueBits = 0; // bits of a 32-bit depth outside the colour masks: alpha, set opaque
    // Whether the surface's own pixels are already in the visual's layout.
    bool direct = false;

    // False when the visual cannot be drawn on (not TrueColor, or another pixel size).
    static bool describe(Display* display, Visual* visual, int depth, PixelFormat& out);
};

struct WindowClass
{
    std::string name;
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC procedure = nullptr;
    HINSTANCE instance = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    int windows = 0;
};

struct WindowRecord
{
    ::Window xid = 0;
    ::Window root = 0;
    WindowClass* windowClass = nullptr;
    WNDPROC procedure = nullptr;
    LONG_PTR userData = 0;
    LONG_PTR id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr; // ours or another program's
    bool parentIsOurs = false;
    int width = 0; // client size; the X window is at least 1 x 1
    int height = 0;
    PixelFormat format;
    GC gc = nullptr;
    bool visible = false;
    bool dead = false;       // the X window is gone: never draw on, configure or destroy it
    bool destroying = false; // WM_DESTROY has been sent
    RECT update{};           // empty when valid
    bool erasePending = false;
    std::unique_ptr<Bitmap> surface;
    SharedImage* shared = nullptr; // MIT-SHM image of the window's size, when the server has it
    std::vector<DC*> dcs;          // DCs from GetDC/BeginPaint still out
    PopupIdleHook popupHook = nullptr;
    void* popupHookContext = nullptr;

    WindowRecord();
    ~WindowRecord();
    HWND handle() const { return reinterpret_cast<HWND>(static_cast<uintptr_t>(xid)); }
    bool hasUpdate() const { return update.right > update.left && update.bottom > update.top; }
};

struct DropRegistration
{
    HWND window;
    IDropTarget* target;
};

// The module-wide state. Made on first use and never destroyed (no work at unload): containers
// give their memory back when they empty.
struct WindowSystem
{
    Display* display = nullptr;
    std::thread::id thread;
    int busy = 0; // nesting of calls that read or dispatch: the connection stays open meanwhile
    std::vector<std::unique_ptr<WindowClass>> classes;
    ATOM nextAtom = 0xC000;
    std::vector<std::unique_ptr<WindowRecord>> windows;
    std::deque<MSG> queue;
    std::vector<::Cursor> xCursors; // per system cursor, made on first use on this connection
    HCURSOR cursor = nullptr;       // what SetCursor set last, once cursorChosen
    bool cursorChosen = false;
    std::vector<uint32_t> scratch;  // pixels converted for XPutImage
    MenuTracker* tracker = nullptr; // the pop-up menu being tracked
    int sharedMemory = -1;          // MIT-SHM: -1 not asked yet, 0 unusable, 1 usable
    int oleInitialised = 0;
    std::vector<DropRegistration> drops;
    POINT lastPointer{0, 0};
};

WindowSystem& windowSystem();

// The queue never holds more than this; posting beyond fails and input beyond is dropped.
constexpr size_t kQueueLimit = 10000;

// ---- The connection ----------------------------------------------------------------------------

// True when the caller may touch X: no connection yet, or on the thread that opened it.
bool onWindowThread();
// The open connection for the calling thread, or null (closed, or another thread).
Display* connection();
// Opens the connection (and installs the error handler) if it is not open; null on failure.
Display* openConnection();
// Closes the connection when no window is left and nothing is running that uses it.
void closeConnectionIfUnused();

// Keeps the connection open while a read or dispatch is running.
class BusyScope
{
public:
    BusyScope() { ++windowSystem().busy; }
    ~BusyScope()
    {
        --windowSystem().busy;
        closeConnectionIfUnused();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
};

// Requests sent after `start` that the server answered with an error. Makes one round trip.
bool failedSince(unsigned long start);

// ---- Windows
// -------------------------------------------------------------------------------------

// One of our windows that has not been destroyed, or null. Never dereferences the handle.
WindowRecord* findWindow(HWND hwnd);
WindowRecord* findWindow(::Window xid);
// Whether the handle can name an X window at all (a non-zero id of at most 29 bits).
bool mayBeXid(HWND hwnd);
inline ::Window xidOf(HWND hwnd)
{
    return static_cast<::Window>(reinterpret_cast<uintptr_t>(hwnd));
}
// Whether `window` is `ancestor` or one of ours below it.
bool isWithin(HWND window, HWND ancestor);
// Calls the window procedure; 0 when the window is gone.
LRESULT callProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// What the host's destruction of its window leaves to do: the messages, then the records.
void windowDestroyedByServer(::Window xid);
// Marks the window with this id dead (an X error said it is gone).
void markDead(::Window xid);

// ---- Painting ----------------------------------------------------------------------------------

// Sends the rectangle of `pixels` (rows of `stride` pixels) to the drawable in `format`.
void putPixels(Display* display, ::Drawable drawable, GC gc, const PixelFormat& format,
               const uint32_t* pixels, int stride, const RECT& rect);
// Sends what the DC touched to its window and forgets the DC; false when it was no window DC.
bool releaseWindowDC(DC* dc);
// Forgets the window's pixels (and its shared image); its DCs still out draw nothing from now on.
void detachSurface(WindowRecord& window);
// Adds the rectangle (client coordinates, cut to the window) to the update region.
void invalidate(WindowRecord& window, const RECT& rect, bool erase);
// Dispatches WM_PAINT once to each window of ours that has an update region.
void paintPendingWindows();

// ---- Messages ----------------------------------------------------------------------------------

// Reads every event the server has sent, without waiting, and turns it into messages.
void readEvents();
// Appends to the queue unless it is full.
bool enqueue(const MSG& msg);
void forgetMessagesOf(HWND hwnd);

// ---- Cursors -----------------------------------------------------------------------------------

// The X cursor of a cursor handle on the open connection (made on first use); None for null or
// an unknown handle.
::Cursor xCursorOf(HCURSOR cursor);
void freeCursors(Display* display);

// ---- Menus
// ---------------------------------------------------------------------------------------

// At unload, with the rest of the module-wide state: destroys every menu left.
void releaseMenuRegistry();
// Whether the tracked menu takes this event (input while it runs, anything for its windows).
bool menuTakesEvent(const XEvent& event);

} // namespace qev::platform

#pragma GCC visibility pop
