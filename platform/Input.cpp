// Mouse buttons, modifier keys and the cursor position, read from the X server through the
// windows' connection.
#include "platform/WindowSystem.h"

namespace qev::platform
{
namespace
{

KeyStateReader keyReader = nullptr;
CursorReader cursorReader = nullptr;

struct PointerState
{
    bool valid = false;
    int x = 0;
    int y = 0;
    unsigned mask = 0;
};

PointerState queryPointer()
{
    PointerState state;
    Display* d = connection();
    if (!d)
        return state;
    Window root = 0;
    Window child = 0;
    int wx = 0;
    int wy = 0;
    state.valid = XQueryPointer(d, DefaultRootWindow(d), &root, &child, &state.x, &state.y, &wx,
                                &wy, &state.mask) != 0;
    if (state.valid)
        windowSystem().lastPointer = POINT{state.x, state.y};
    return state;
}

SHORT realKeyState(int key)
{
    const PointerState p = queryPointer();
    unsigned bit = 0;
    switch (key)
    {
    case VK_LBUTTON:
        bit = Button1Mask;
        break;
    case VK_MBUTTON:
        bit = Button2Mask;
        break;
    case VK_RBUTTON:
        bit = Button3Mask;
        break;
    case VK_SHIFT:
        bit = ShiftMask;
        break;
    case VK_CONTROL:
        bit = ControlMask;
        break;
    case VK_MENU:
        bit = Mod1Mask;
        break;
    default:
        return 0;
    }
    return p.valid && (p.mask & bit) ? static_cast<SHORT>(0x8000) : 0;
}

BOOL realCursor(LPPOINT point)
{
    const PointerState p = queryPointer();
    point->x = p.x;
    point->y = p.y;
    return p.valid ? TRUE : FALSE;
}

} // namespace

void setInputReaders(KeyStateReader keys, CursorReader cursor)
{
    keyReader = keys;
    cursorReader = cursor;
}

} // namespace qev::platform

using namespace qev::platform;

SHORT GetAsyncKeyState(int key)
{
    return keyReader ? keyReader(key) : realKeyState(key);
}

BOOL GetCursorPos(LPPOINT point)
{
    if (!point)
        return FALSE;
    return cursorReader ? cursorReader(point) : realCursor(point);
}
