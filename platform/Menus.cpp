// Pop-up menus: the HMENU objects and the calls that build, show and destroy them.
#include "platform/Menus.h"

#include <algorithm>
#include <memory>

namespace qev::platform
{
namespace
{

struct MenuRegistry
{
    std::vector<std::unique_ptr<Menu>> menus;
    uintptr_t next = 1;
};

// Made on first use and destroyed only when the module is unloaded, as the rest of the
// module-wide state.
MenuRegistry*& registryPointer()
{
    static MenuRegistry* r = new MenuRegistry;
    return r;
}

MenuRegistry& registry()
{
    return *registryPointer();
}

// Whether `candidate` is `menu` or lies below it: appending it would make a loop.
bool contains(const Menu& menu, HMENU candidate)
{
    if (menu.handle == candidate)
        return true;
    for (const MenuItem& item : menu.items)
        if (const Menu* sub = item.submenu ? findMenu(item.submenu) : nullptr)
            if (contains(*sub, candidate))
                return true;
    return false;
}

void destroy(HMENU handle)
{
    Menu* menu = findMenu(handle);
    if (!menu)
        return;
    std::vector<HMENU> subs;
    for (const MenuItem& item : menu->items)
        if (item.submenu)
            subs.push_back(item.submenu);
    if (Menu* parent = findMenu(menu->parent))
        for (MenuItem& item : parent->items)
            if (item.submenu == handle)
                item.submenu = nullptr;
    auto& menus = registry().menus;
    menus.erase(std::find_if(menus.begin(), menus.end(),
                             [&](const auto& m) { return m->handle == handle; }));
    if (menus.empty())
        menus.shrink_to_fit();
    for (HMENU sub : subs)
        destroy(sub);
}

} // namespace

Menu* findMenu(HMENU handle)
{
    if (!handle)
        return nullptr;
    for (auto& m : registry().menus)
        if (m->handle == handle)
            return m.get();
    return nullptr;
}

void releaseMenuRegistry()
{
    MenuRegistry*& r = registryPointer();
    delete r;
    r = nullptr;
}

bool menuTakesEvent(const XEvent& event)
{
    MenuTracker* tracker = windowSystem().tracker;
    return tracker && tracker->takes(event);
}

} // namespace qev::platform

using namespace qev::platform;

HMENU CreatePopupMenu(void)
{
    MenuRegistry& r = registry();
    auto menu = std::make_unique<Menu>();
    menu->handle = reinterpret_cast<HMENU>(r.next++);
    const HMENU handle = menu->handle;
    r.menus.push_back(std::move(menu));
    return handle;
}

BOOL AppendMenuA(HMENU handle, UINT flags, UINT_PTR idNewItem, LPCSTR newItem)
{
    Menu* menu = findMenu(handle);
    if (!menu)
    {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    if (flags & MF_BITMAP)
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    MenuItem item;
    item.flags = flags;
    item.id = idNewItem;
    if (flags & MF_POPUP)
    {
        const HMENU sub = reinterpret_cast<HMENU>(idNewItem);
        Menu* child = findMenu(sub);
        if (!child || child->parent || contains(*child, handle))
        {
            SetLastError(ERROR_INVALID_MENU_HANDLE);
            return FALSE;
        }
        child->parent = handle;
        item.submenu = sub;
    }
    if (flags & MF_OWNERDRAW)
        item.data = reinterpret_cast<ULONG_PTR>(newItem);
    else if (!(flags & MF_SEPARATOR) && newItem)
        item.text = newItem;
    menu->items.push_back(std::move(item));
    return TRUE;
}

BOOL DestroyMenu(HMENU handle)
{
    if (!findMenu(handle))
    {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    destroy(handle);
    return TRUE;
}

int GetMenuItemCount(HMENU handle)
{
    const Menu* menu = findMenu(handle);
    return menu ? static_cast<int>(menu->items.size()) : -1;
}

BOOL GetMenuItemRect(HWND, HMENU menu, UINT item, LPRECT rect)
{
    MenuTracker* tracker = windowSystem().tracker;
    return rect && tracker && tracker->itemRect(menu, item, *rect) ? TRUE : FALSE;
}

BOOL TrackPopupMenu(HMENU handle, UINT flags, int x, int y, int, HWND owner, const RECT*)
{
    const Menu* menu = findMenu(handle);
    if (!menu)
    {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    WindowRecord* w = findWindow(owner);
    Display* display = connection();
    if (!w || w->dead || w->destroying || !display)
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    WindowSystem& ws = windowSystem();
    if (ws.tracker)
    {
        SetLastError(ERROR_POPUP_ALREADY_ACTIVE);
        return FALSE;
    }
    if (menu->items.empty())
        return FALSE;
    BusyScope busy;
    std::optional<UINT_PTR> choice;
    bool shown = false;
    {
        MenuTracker tracker(display, owner, flags);
        ws.tracker = &tracker;
        shown = tracker.run(handle, x, y, choice);
        ws.tracker = nullptr;
    }
    if (!shown)
        return FALSE;
    if (flags & TPM_RETURNCMD)
        return choice ? static_cast<BOOL>(*choice) : 0;
    if (choice)
        PostMessageA(owner, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(*choice), 0), 0);
    return TRUE;
}

BOOL EndMenu(void)
{
    if (MenuTracker* tracker = windowSystem().tracker)
        tracker->end();
    return TRUE;
}
