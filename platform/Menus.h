// The objects behind HMENU handles, and the loop that shows one. Internal to platform/.
#pragma once

#include "platform/WindowSystem.h"

#include <optional>
#include <string>
#include <vector>

#pragma GCC visibility push(hidden)

namespace qev::platform
{

struct MenuItem
{
    UINT flags = 0;
    UINT_PTR id = 0;    // the command id, or the sub-menu's handle for MF_POPUP
    std::string text;   // strings only
    ULONG_PTR data = 0; // owner-drawn items: what AppendMenuA was given as the text
    HMENU submenu = nullptr;

    bool separator() const { return (flags & MF_SEPARATOR) != 0; }
    bool ownerDrawn() const { return (flags & MF_OWNERDRAW) != 0; }
    bool enabled() const { return !(flags & (MF_GRAYED | MF_DISABLED)); }
};

struct Menu
{
    HMENU handle = nullptr;
    std::vector<MenuItem> items;
    HMENU parent = nullptr; // the menu this one is a sub-menu of
};

// A live menu, or null. Handles are numbers that are never used twice.
Menu* findMenu(HMENU handle);

// One run of TrackPopupMenu: the menu windows, the grab and the loop until a choice or a
// dismissal. Everything it made and grabbed is gone when it is destroyed.
class MenuTracker
{
public:
    MenuTracker(Display* display, HWND owner, UINT flags);
    ~MenuTracker();
    MenuTracker(const MenuTracker&) = delete;
    MenuTracker& operator=(const MenuTracker&) = delete;

    // Shows the menu at the screen point and runs the loop. False when it could not be shown;
    // otherwise `choice` holds the chosen command, if any.
    bool run(HMENU menu, int x, int y, std::optional<UINT_PTR>& choice);
    // Input while the menu runs, and anything for its windows.
    bool takes(const XEvent& event);
    void end() { done_ = true; }
    bool itemRect(HMENU menu, UINT item, RECT& rect) const;

private:
    struct Level
    {
        HMENU menu = nullptr;
        ::Window xid = 0;
        GC gc = nullptr;
        RECT frame{};            // on the screen
        std::vector<RECT> items; // in the window
        std::vector<RECT> bars;  // column bars of MF_MENUBARBREAK
        int selected = -1;
        HDC dc = nullptr;
        HBITMAP bitmap = nullptr;
        HGDIOBJ previousBitmap = nullptr;
        bool needsPaint = true;
    };
    struct Hit
    {
        int level = -1;
        int item = -1;
    };

    bool openLevel(HMENU menu, int x, int y, const Level* parent, int parentItem);
    void closeLevelsFrom(size_t index);
    SIZE layout(const Menu& menu, Level& level);
    SIZE measure(const Menu& menu, size_t index);
    void paint(Level& level);
    void drawItem(Level& level, const Menu& menu, size_t index);
    void drawPlainItem(Level& level, const MenuItem& item, const RECT& r, bool selected);
    bool grab();
    void handle(const XEvent& event);
    void onKey(KeySym key);
    Hit hitTest(int x, int y) const;
    void select(int level, int item, bool openSubmenu);
    void moveSelection(int step);
    void openSubmenuOf(int level, int item, bool selectFirst);
    void choose(int level, int item);
    void callIdleHook();
    bool ownerAlive() const;

    Display* display_;
    HWND owner_;
    UINT flags_;
    ::Window root_ = 0;
    int screenWidth_ = 0;
    int screenHeight_ = 0;
    PixelFormat format_;
    Colormap colormap_ = 0;
    HFONT font_ = nullptr;
    HDC measureDC_ = nullptr;
    std::vector<Level> levels_;
    std::deque<XEvent> events_;
    bool pointerGrabbed_ = false;
    bool keyboardGrabbed_ = false;
    bool done_ = false;
    std::optional<UINT_PTR> choice_;
    // Input the server sent before the grab was asked for belongs to the windows, not the menu.
    unsigned long firstSerial_ = ~0ul;
    unsigned buttonsHeldAtOpen_ = 0; // the click that opened the menu may still be down
    bool hovered_ = false;           // the pointer has moved onto an item since
};

} // namespace qev::platform

#pragma GCC visibility pop
