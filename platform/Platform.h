// What the project needs beside the Win32 names: the module instance handle, and on Linux the seams
// through which tests, tools and the windowing code reach the pixel surfaces.
#pragma once

#include "platform/Win32.h"

#include <cstdint>

#if !defined(_WIN32)
#pragma GCC visibility push(hidden)
#endif

namespace qev::platform
{

// The module instance that bitmap resources are loaded from. The library's load hook records the
// real one; until then a fixed handle standing for this module is answered, so tests need no hook.
// On Windows that handle is the image the code is linked into, so a test program that carries the
// resources itself loads them as the DLL does.
HINSTANCE moduleInstance();
void setModuleInstance(HINSTANCE instance);

// GetProcAddress as the function type the caller names; null when the library lacks the entry.
// Win32's FARPROC is a function type of its own, and converting it straight to another draws a
// cast warning; the detour through void (*)() is the conversion the compilers accept silently.
template <typename Function> Function procAddress(HMODULE library, LPCSTR name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// ---- The editor's share of the message loop ---------------------------------------------------
// On Windows the host's message loop dispatches our windows' messages and the system's pop-up
// menus run a loop of their own: both calls below do nothing there.

// Dispatches every pending message of our windows: what the host's message loop does on Windows.
// The editor calls it from its idle. Each window gets at most one WM_PAINT per call. With nothing
// pending it costs one non-blocking read of the X connection and sends no request; with no window
// open it does not touch X at all. Safe to call re-entrantly and with no window.
void pumpMessages();

// Called by TrackPopupMenu about every 50 ms while a menu owned by `window` (or by a child of it)
// is open, so that the editor can give the host its idle as a knob drag does. The hook goes with
// the window; null removes it. Answers false for a handle that is not one of our windows (always
// on Windows, which has no such hook).
using PopupIdleHook = void (*)(void* context);
bool setPopupIdleHook(HWND window, PopupIdleHook hook, void* context);

#if !defined(_WIN32)

// Read access to a bitmap's pixels, row after row without padding, 0x00RRGGBB each. Monochrome
// bitmaps hold 0x000000 or 0xFFFFFF. Null for a handle that is not a bitmap.
struct PixelView
{
    const uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
};
PixelView bitmapPixels(HBITMAP bitmap);
// The bitmap selected into a memory DC (null for other DCs).
HBITMAP selectedBitmap(HDC hdc);

// Counts of GDI objects (pens, brushes, fonts, bitmaps, regions and DCs, stock ones excluded):
// how many were ever created, and how many are alive now.
struct GdiCounts
{
    long created = 0;
    long alive = 0;
};
GdiCounts gdiCounts();

// Replaces the input state the layer reports, for tests; null restores the real one.
using KeyStateReader = SHORT (*)(int key);
using CursorReader = BOOL (*)(LPPOINT point);
void setInputReaders(KeyStateReader keys, CursorReader cursor);

// ---- The window system (X11) -----------------------------------------------------------------

// Test seams. Whether the module's X connection is open (it is while any window of ours exists).
bool windowSystemConnected();
// Requests sent on the module's X connection so far (0 while closed): a call that sends none
// cannot have waited for the server.
unsigned long windowSystemRequests();
// Waits until the server has handled everything sent on the module's connection (XSync), so that
// another client sees its effects.
void syncWindowSystem();
// At unload: frees the module-wide state (window classes, queues, menus), so that a host that
// loads and unloads the module many times keeps nothing of it. Kept while a window of ours still
// exists (the connection is open): a host that unloads the module under an open editor loses
// no more than the state.
void releaseWindowSystemState();

#endif

} // namespace qev::platform

#if !defined(_WIN32)
#pragma GCC visibility pop
#endif
