// The system colours: there is no desktop-wide colour scheme to read on this platform, so the
// light default look stands for it.
#include "platform/Win32.h"

DWORD GetSysColor(int index)
{
    switch (index)
    {
    case COLOR_MENU:
        return RGB(240, 240, 240);
    case COLOR_MENUTEXT:
        return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT:
        return RGB(0, 120, 215);
    case COLOR_HIGHLIGHTTEXT:
        return RGB(255, 255, 255);
    case COLOR_GRAYTEXT:
        return RGB(109, 109, 109);
    default:
        return 0;
    }
}
