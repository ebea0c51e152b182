// The message queue of our windows' thread, and the X events that feed it.
#include "platform/WindowSystem.h"

#include <algorithm>

namespace qev::platform
{
namespace
{

WPARAM keyState(unsigned state)
{
    WPARAM keys = 0;
    if (state & Button1Mask)
        keys |= MK_LBUTTON;
    if (state & Button2Mask)
        keys |= MK_MBUTTON;
    if (state & Button3Mask)
        keys |= MK_RBUTTON;
    if (state & ShiftMask)
        keys |= MK_SHIFT;
    if (state & ControlMask)
        keys |= MK_CONTROL;
    return keys;
}

MSG messageFor(const WindowRecord& w, UINT message, WPARAM wParam, LPARAM lParam)
{
    const POINT pt = windowSystem().lastPointer;
    return MSG{w.handle(), message, wParam, lParam, GetTickCount(), pt};
}

void buttonEvent(const XButtonEvent& e, bool press)
{
    WindowRecord* w = findWindow(e.window);
    if (!w || w->dead)
        return;
    windowSystem().lastPointer = POINT{e.x_root, e.y_root};
    static constexpr unsigned kMasks[] = {0, Button1Mask, Button2Mask, Button3Mask};
    if (e.button >= 1 && e.button <= 3)
    {
        static constexpr UINT kDown[] = {0, WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONDOWN};
        // X reports the state before the event; Win32 the state after it.
        const unsigned state = press ? e.state | kMasks[e.button] : e.state & ~kMasks[e.button];
        const UINT message = kDown[e.button] + (press ? 0 : 1);
        enqueue(messageFor(*w, message, keyState(state),
                           MAKELPARAM(static_cast<WORD>(e.x), static_cast<WORD>(e.y))));
        return;
    }
    if (!press || e.button < 4 || e.button > 7)
        return;
    const bool vertical = e.button <= 5;
    const short delta = (e.button == 4 || e.button == 7) ? WHEEL_DELTA : -WHEEL_DELTA;
    enqueue(messageFor(*w, vertical ? WM_MOUSEWHEEL : WM_MOUSEHWHEEL,
                       MAKEWPARAM(keyState(e.state), static_cast<WORD>(delta)),
                       MAKELPARAM(static_cast<WORD>(e.x_root), static_cast<WORD>(e.y_root))));
}

void handleEvent(XEvent& event)
{
    if (menuTakesEvent(event))
        return;
    switch (event.type)
    {
    case ButtonPress:
    case ButtonRelease:
        buttonEvent(event.xbutton, event.type == ButtonPress);
        break;
    case Expose:
        if (WindowRecord* w = findWindow(event.xexpose.window); w && !w->dead)
        {
            const XExposeEvent& e = event.xexpose;
            invalidate(*w, RECT{e.x, e.y, e.x + e.width, e.y + e.height}, true);
        }
        break;
    case DestroyNotify:
        if (event.xdestroywindow.event == event.xdestroywindow.window)
            windowDestroyedByServer(event.xdestroywindow.window);
        break;
    default:
        break;
    }
}

bool matchesWindow(HWND filter, HWND target)
{
    if (!filter)
        return true;
    if (filter == reinterpret_cast<HWND>(-1))
        return target == nullptr;
    return target == filter || isWithin(target, filter);
}

bool matchesRange(UINT message, UINT low, UINT high)
{
    return (low == 0 && high == 0) || (message >= low && message <= high);
}

WindowRecord* windowToPaint(HWND filter)
{
    for (auto& w : windowSystem().windows)
        if (w->hasUpdate() && !w->dead && !w->destroying && matchesWindow(filter, w->handle()))
            return w.get();
    return nullptr;
}

} // namespace

void readEvents()
{
    Display* display = connection();
    if (!display || XPending(display) == 0)
        return;
    BusyScope busy;
    while (XQLength(display) > 0)
    {
        XEvent event;
        XNextEvent(display, &event);
        handleEvent(event);
        if (!connection())
            return;
    }
}

bool enqueue(const MSG& msg)
{
    std::deque<MSG>& queue = windowSystem().queue;
    if (queue.size() >= kQueueLimit)
        return false;
    queue.push_back(msg);
    return true;
}

void forgetMessagesOf(HWND hwnd)
{
    std::deque<MSG>& queue = windowSystem().queue;
    queue.erase(
        std::remove_if(queue.begin(), queue.end(), [&](const MSG& m) { return m.hwnd == hwnd; }),
        queue.end());
}

void paintPendingWindows()
{
    std::vector<HWND> pending;
    for (auto& w : windowSystem().windows)
        if (w->hasUpdate() && !w->dead && !w->destroying)
            pending.push_back(w->handle());
    for (HWND hwnd : pending)
        if (WindowRecord* w = findWindow(hwnd); w && w->hasUpdate())
            callProcedure(hwnd, WM_PAINT, 0, 0);
}

void pumpMessages()
{
    if (!onWindowThread())
        return;
    BusyScope busy;
    readEvents();
    // What handlers post while this runs waits for the next pump.
    for (size_t n = windowSystem().queue.size(); n > 0 && !windowSystem().queue.empty(); --n)
    {
        const MSG msg = windowSystem().queue.front();
        windowSystem().queue.pop_front();
        DispatchMessageA(&msg);
    }
    paintPendingWindows();
}

} // namespace qev::platform

using namespace qev::platform;

BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg)
{
    if (!msg || !onWindowThread())
        return FALSE;
    BusyScope busy;
    readEvents();
    std::deque<MSG>& queue = windowSystem().queue;
    for (auto it = queue.begin(); it != queue.end(); ++it)
    {
        if (!matchesWindow(hwnd, it->hwnd) || !matchesRange(it->message, filterMin, filterMax))
            continue;
        *msg = *it;
        if (removeMsg & PM_REMOVE)
            queue.erase(it);
        return TRUE;
    }
    // WM_PAINT is never queued: it stands for an update region, until that is validated.
    if (matchesRange(WM_PAINT, filterMin, filterMax))
        if (WindowRecord* w = windowToPaint(hwnd))
        {
            *msg = messageFor(*w, WM_PAINT, 0, 0);
            return TRUE;
        }
    return FALSE;
}

LRESULT DispatchMessageA(const MSG* msg)
{
    if (!msg || !onWindowThread())
        return 0;
    return callProcedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!onWindowThread())
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    WindowRecord* w = findWindow(hwnd);
    if (hwnd && (!w || w->destroying))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const MSG msg{hwnd, message, wParam, lParam, GetTickCount(), windowSystem().lastPointer};
    if (!enqueue(msg))
    {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return FALSE;
    }
    return TRUE;
}

LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!onWindowThread() || !findWindow(hwnd))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return callProcedure(hwnd, message, wParam, lParam);
}
