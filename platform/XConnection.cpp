// The module's private X connection: opened with the first window, closed after the last, and an
// error handler that keeps X errors of this connection away from the host.
#include "platform/WindowSystem.h"

#include "platform/GdiObjects.h"

#include <atomic>
#include <cstdio>

namespace qev::platform
{
namespace
{

// The handler is process-wide and may be called on the host's threads for the host's own
// connections: it reads only these two atomics before deciding whose error it is.
std::atomic<Display*> ourDisplay{nullptr};
std::atomic<XErrorHandler> previousHandler{nullptr};
unsigned long lastErrorSerial = 0;
bool anyError = false;

int onXError(Display* display, XErrorEvent* error)
{
    if (display != ourDisplay.load())
    {
        const XErrorHandler previous = previousHandler.load();
        return previous ? previous(display, error) : 0;
    }
    // Ours: expected when the host has destroyed our window with its own (BadWindow,
    // BadDrawable), and never worth ending the host for. The window is dead from now on.
    lastErrorSerial = error->serial;
    anyError = true;
    if (error->error_code == BadWindow || error->error_code == BadDrawable)
        markDead(error->resourceid);
    return 0;
}

void installHandler()
{
    const XErrorHandler current = XSetErrorHandler(onXError);
    // Still ours from an earlier connection when someone chained to it: keep what we chain to.
    if (current != onXError)
        previousHandler.store(current);
}

void uninstallHandler()
{
    const XErrorHandler current = XSetErrorHandler(previousHandler.load());
    // Someone installed a handler after ours and may chain to it: leave theirs in place; ours,
    // with no display of its own, passes everything on.
    if (current != onXError)
        XSetErrorHandler(current);
}

} // namespace

namespace
{

WindowSystem*& statePointer()
{
    static WindowSystem* state = new WindowSystem;
    return state;
}

} // namespace

WindowSystem& windowSystem()
{
    return *statePointer();
}

void releaseWindowSystemState()
{
    WindowSystem*& state = statePointer();
    if (!state || state->display)
        return;
    delete state;
    state = nullptr;
    releaseMenuRegistry();
}

bool onWindowThread()
{
    const WindowSystem& ws = windowSystem();
    return !ws.display || ws.thread == std::this_thread::get_id();
}

Display* connection()
{
    const WindowSystem& ws = windowSystem();
    return ws.display && ws.thread == std::this_thread::get_id() ? ws.display : nullptr;
}

Display* openConnection()
{
    WindowSystem& ws = windowSystem();
    if (ws.display)
        return connection();
    Display* display = XOpenDisplay(nullptr);
    if (!display)
    {
        std::fprintf(stderr, "QEV Phaser: cannot open the X display \"%s\" for the editor\n",
                     XDisplayName(nullptr));
        return nullptr;
    }
    ws.display = display;
    ws.thread = std::this_thread::get_id();
    ws.sharedMemory = -1;
    anyError = false;
    ourDisplay.store(display);
    installHandler();
    return display;
}

void closeConnectionIfUnused()
{
    WindowSystem& ws = windowSystem();
    if (!ws.display || ws.busy > 0 || !ws.windows.empty() || ws.tracker ||
        ws.thread != std::this_thread::get_id())
        return;
    freeCursors(ws.display);
    XSync(ws.display, False);
    XCloseDisplay(ws.display);
    ourDisplay.store(nullptr);
    uninstallHandler();
    ws.display = nullptr;
    ws.queue.shrink_to_fit();
    std::vector<uint32_t>().swap(ws.scratch);
    ws.windows.shrink_to_fit();
}

bool failedSince(unsigned long start)
{
    Display* display = connection();
    if (!display)
        return true;
    XSync(display, False);
    return anyError && lastErrorSerial >= start;
}

void syncWindowSystem()
{
    if (Display* display = connection())
        XSync(display, False);
}

bool windowSystemConnected()
{
    return windowSystem().display != nullptr;
}

unsigned long windowSystemRequests()
{
    Display* display = windowSystem().display;
    return display ? NextRequest(display) - 1 : 0;
}

} // namespace qev::platform
