// What the toolkit's drawing needs from the system beyond plain GDI, looked up once per process:
// the two optional blits of "msimg32.dll", the system version, and whether the mouse buttons are
// swapped.
#pragma once

#include "platform/Win32.h"

namespace toolkit
{

using AlphaBlendProc = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int,
                                     BLENDFUNCTION);
using TransparentBltProc = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);

struct DrawingFacilities
{
    AlphaBlendProc alphaBlend = nullptr;
    TransparentBltProc transparentBlt = nullptr;
    OSVERSIONINFOEXA version{}; // all zero unless the library was found
    HMODULE library = nullptr;
    bool mouseButtonsSwapped = false; // set when the frame's window class is first registered
};

DrawingFacilities& drawingFacilities();

// The frame's constructor: clears both entries, loads the library and looks them up. The
// transparent blit is taken only on an NT-family system.
void loadDrawingFacilities();
// The frame's destructor: lets go of the library. The entries stay as they are.
void freeDrawingFacilities();

// Windows 98 needs its alpha blends from a bitmap of their own.
bool isWindows98(const OSVERSIONINFOEXA& version);

} // namespace toolkit
