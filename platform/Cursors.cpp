// The system cursors, shown on our windows as shapes of the X cursor font.
#include "platform/WindowSystem.h"

#include <X11/cursorfont.h>

#include <iterator>

namespace qev::platform
{
namespace
{

struct SystemCursor
{
    WORD id;
    unsigned shape;
};

// The X cursor font has no diagonal double arrows: the corner shapes stand for them.
constexpr SystemCursor kSystemCursors[] = {
    {32512, XC_left_ptr},            // IDC_ARROW
    {32513, XC_xterm},               // IDC_IBEAM
    {32514, XC_watch},               // IDC_WAIT
    {32515, XC_crosshair},           // IDC_CROSS
    {32516, XC_sb_up_arrow},         // IDC_UPARROW
    {32642, XC_bottom_right_corner}, // IDC_SIZENWSE
    {32643, XC_bottom_left_corner},  // IDC_SIZENESW
    {32644, XC_sb_h_double_arrow},   // IDC_SIZEWE
    {32645, XC_sb_v_double_arrow},   // IDC_SIZENS
    {32646, XC_fleur},               // IDC_SIZEALL
    {32648, XC_X_cursor},            // IDC_NO
    {32649, XC_hand2},               // IDC_HAND
    {32650, XC_watch},               // IDC_APPSTARTING
    {32651, XC_question_arrow},      // IDC_HELP
};
constexpr size_t kCount = std::size(kSystemCursors);

// The index of a handle in the table, or kCount for anything else. Compares addresses as
// integers: the handle is never dereferenced.
size_t indexOf(HCURSOR cursor)
{
    const auto p = reinterpret_cast<uintptr_t>(cursor);
    const auto first = reinterpret_cast<uintptr_t>(&kSystemCursors[0]);
    if (p < first || (p - first) % sizeof(SystemCursor) != 0)
        return kCount;
    const size_t i = (p - first) / sizeof(SystemCursor);
    return i < kCount ? i : kCount;
}

HCURSOR handleOf(size_t index)
{
    return reinterpret_cast<HCURSOR>(const_cast<SystemCursor*>(&kSystemCursors[index]));
}

} // namespace

::Cursor xCursorOf(HCURSOR cursor)
{
    Display* display = connection();
    const size_t i = indexOf(cursor);
    if (!display || i == kCount)
        return 0;
    std::vector<::Cursor>& made = windowSystem().xCursors;
    if (made.size() < kCount)
        made.resize(kCount, 0);
    if (!made[i])
        made[i] = XCreateFontCursor(display, kSystemCursors[i].shape);
    return made[i];
}

void freeCursors(Display* display)
{
    std::vector<::Cursor>& made = windowSystem().xCursors;
    for (::Cursor c : made)
        if (c)
            XFreeCursor(display, c);
    std::vector<::Cursor>().swap(made);
}

} // namespace qev::platform

using namespace qev::platform;

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    if (!instance && IS_INTRESOURCE(name))
    {
        const auto id = static_cast<WORD>(reinterpret_cast<uintptr_t>(name));
        for (size_t i = 0; i < kCount; ++i)
            if (kSystemCursors[i].id == id)
                return handleOf(i);
    }
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

HCURSOR GetCursor(void)
{
    WindowSystem& ws = windowSystem();
    return ws.cursorChosen ? ws.cursor : handleOf(0);
}

HCURSOR SetCursor(HCURSOR cursor)
{
    const HCURSOR previous = GetCursor();
    if (cursor && indexOf(cursor) == kCount)
    {
        SetLastError(ERROR_INVALID_CURSOR_HANDLE);
        return previous;
    }
    WindowSystem& ws = windowSystem();
    if (cursor == previous && cursor)
        return previous;
    ws.cursor = cursor;
    ws.cursorChosen = true;
    Display* display = connection();
    if (!display)
        return previous;
    const ::Cursor shape = xCursorOf(cursor);
    for (auto& w : ws.windows)
    {
        if (w->dead)
            continue;
        if (shape)
            XDefineCursor(display, w->xid, shape);
        else
            XUndefineCursor(display, w->xid);
    }
    XFlush(display);
    return previous;
}
