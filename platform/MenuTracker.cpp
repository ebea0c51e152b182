// TrackPopupMenu's loop: menu windows on the root, the grab, hovering, keys and owner drawing.
#include "platform/Menus.h"

#include <X11/keysym.h>

#include <algorithm>
#include <cstring>
#include <poll.h>

namespace qev::platform
{
namespace
{

constexpr int kBorder = 3;     // a one-pixel outline and two of padding
constexpr int kCheckArea = 22; // left of the text: the check mark
constexpr int kArrowArea = 22; // right of the text: the sub-menu arrow
constexpr int kBarGap = 5;     // between columns of MF_MENUBARBREAK, with the bar in the middle
constexpr int kSeparatorHeight = 9;
constexpr int kMinimumWidth = 40;
constexpr DWORD kIdlePeriodMs = 50;
constexpr DWORD kGrabPatienceMs = 200; // AlreadyGrabbed right after a press passes quickly
constexpr unsigned kButtonMasks = Button1Mask | Button2Mask | Button3Mask;

bool inside(const RECT& r, int x, int y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

void fill(HDC dc, const RECT& r, int colour)
{
    FillRect(dc, &r, GetSysColorBrush(colour));
}

// Splits "Text\tAccelerator"; the accelerator is drawn right-aligned.
std::pair<std::string, std::string> splitAtTab(const std::string& text)
{
    const size_t tab = text.find('\t');
    if (tab == std::string::npos)
        return {text, std::string()};
    return {text.substr(0, tab), text.substr(tab + 1)};
}

int textWidth(HDC dc, const std::string& text)
{
    RECT r{0, 0, 0, 0};
    if (text.empty())
        return 0;
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
    return r.right - r.left;
}

void drawArrow(HDC dc, const RECT& r, int colour)
{
    const int mid = (r.top + r.bottom) / 2;
    for (int k = 0; k < 4; ++k)
    {
        const RECT bar{r.right - 13 + k, mid - (3 - k), r.right - 12 + k, mid + (4 - k)};
        fill(dc, bar, colour);
    }
}

void drawCheck(HDC dc, const RECT& r, COLORREF colour)
{
    const int mid = (r.top + r.bottom) / 2;
    HPEN pen = CreatePen(PS_SOLID, 2, colour);
    HGDIOBJ previous = SelectObject(dc, pen);
    MoveToEx(dc, r.left + 7, mid, nullptr);
    LineTo(dc, r.left + 10, mid + 3);
    LineTo(dc, r.left + 16, mid - 3);
    SelectObject(dc, previous);
    DeleteObject(pen);
}

} // namespace

MenuTracker::MenuTracker(Display* display, HWND owner, UINT flags)
    : display_(display), owner_(owner), flags_(flags)
{
}

MenuTracker::~MenuTracker()
{
    if (keyboardGrabbed_)
        XUngrabKeyboard(display_, CurrentTime);
    if (pointerGrabbed_)
        XUngrabPointer(display_, CurrentTime);
    closeLevelsFrom(0);
    if (measureDC_)
        DeleteDC(measureDC_);
    if (font_)
        DeleteObject(font_);
    // The ungrab and the windows' end reach the server before the caller goes on.
    XSync(display_, False);
}

bool MenuTracker::run(HMENU menu, int x, int y, std::optional<UINT_PTR>& choice)
{
    const WindowRecord* owner = findWindow(owner_);
    XWindowAttributes rootAttributes;
    if (!owner || !XGetWindowAttributes(display_, owner->root, &rootAttributes))
        return false;
    root_ = owner->root;
    screenWidth_ = rootAttributes.width;
    screenHeight_ = rootAttributes.height;
    Screen* screen = rootAttributes.screen;
    colormap_ = DefaultColormapOfScreen(screen);
    if (!PixelFormat::describe(display_, DefaultVisualOfScreen(screen),
                               DefaultDepthOfScreen(screen), format_))
        return false;

    LOGFONTA description{};
    description.lfHeight = -12;
    description.lfWeight = FW_NORMAL;
    description.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    std::strcpy(description.lfFaceName, "Arial");
    font_ = CreateFontIndirectA(&description);
    measureDC_ = CreateCompatibleDC(nullptr);
    SelectObject(measureDC_, font_);

    if (!openLevel(menu, x, y, nullptr, -1) || !grab())
        return false;
    Window root = 0;
    Window child = 0;
    int rx = 0;
    int ry = 0;
    int wx = 0;
    int wy = 0;
    unsigned mask = 0;
    if (XQueryPointer(display_, root_, &root, &child, &rx, &ry, &wx, &wy, &mask))
        buttonsHeldAtOpen_ = mask & kButtonMasks;

    DWORD nextIdle = GetTickCount() + kIdlePeriodMs;
    while (!done_)
    {
        readEvents();
        while (!events_.empty() && !done_)
        {
            const XEvent event = events_.front();
            events_.pop_front();
            handle(event);
        }
        if (done_ || !ownerAlive())
            break;
        paintPendingWindows();
        for (Level& level : levels_)
            if (level.needsPaint)
                paint(level);
        const DWORD now = GetTickCount();
        if (static_cast<int32_t>(now - nextIdle) >= 0)
        {
            callIdleHook();
            nextIdle = now + kIdlePeriodMs;
        }
        if (done_ || !ownerAlive() || !connection())
            break;
        if (events_.empty() && XQLength(display_) == 0)
        {
            pollfd fd{ConnectionNumber(display_), POLLIN, 0};
            const int wait = std::clamp(static_cast<int>(static_cast<int32_t>(nextIdle - now)), 1,
                                        static_cast<int>(kIdlePeriodMs));
            poll(&fd, 1, wait);
        }
    }
    choice = choice_;
    return true;
}

bool MenuTracker::takes(const XEvent& event)
{
    switch (event.type)
    {
    case ButtonPress:
    case ButtonRelease:
    case MotionNotify:
    case KeyPress:
    case KeyRelease:
    case EnterNotify:
    case LeaveNotify:
        if (event.xany.serial < firstSerial_)
            return false;
        events_.push_back(event);
        return true;
    default:
        break;
    }
    for (const Level& level : levels_)
        if (event.xany.window == level.xid)
        {
            events_.push_back(event);
            return true;
        }
    return false;
}

bool MenuTracker::itemRect(HMENU menu, UINT item, RECT& rect) const
{
    for (const Level& level : levels_)
        if (level.menu == menu && item < level.items.size())
        {
            const RECT& r = level.items[item];
            rect = RECT{level.frame.left + r.left, level.frame.top + r.top,
                        level.frame.left + r.right, level.frame.top + r.bottom};
            return true;
        }
    return false;
}

bool MenuTracker::ownerAlive() const
{
    const WindowRecord* w = findWindow(owner_);
    return w && !w->dead && !w->destroying;
}

// ---- Levels
// --------------------------------------------------------------------------------------

SIZE MenuTracker::measure(const Menu& menu, size_t index)
{
    const MenuItem& item = menu.items[index];
    if (item.ownerDrawn())
    {
        MEASUREITEMSTRUCT m{ODT_MENU, 0, static_cast<UINT>(item.id), 0, 0, item.data};
        SendMessageA(owner_, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&m));
        return SIZE{static_cast<LONG>(std::min<UINT>(m.itemWidth, 4096)),
                    static_cast<LONG>(std::min<UINT>(m.itemHeight, 4096))};
    }
    if (item.separator())
        return SIZE{0, kSeparatorHeight};
    const auto [text, accelerator] = splitAtTab(item.text);
    SIZE extent{0, 0};
    GetTextExtentPoint32A(measureDC_, "Ag", 2, &extent);
    int width = kCheckArea + textWidth(measureDC_, text) + kArrowArea;
    if (!accelerator.empty())
        width += 24 + textWidth(measureDC_, accelerator);
    return SIZE{width, std::max<LONG>(extent.cy + 8, 22)};
}

SIZE MenuTracker::layout(const Menu& menu, Level& level)
{
    const size_t n = menu.items.size();
    std::vector<SIZE> sizes(n);
    for (size_t i = 0; i < n; ++i)
        sizes[i] = measure(menu, i);
    level.items.assign(n, RECT{});
    level.bars.clear();
    int x = kBorder;
    int bottom = kBorder;
    size_t start = 0;
    while (start < n)
    {
        size_t end = start + 1;
        while (end < n && !(menu.items[end].flags & (MF_MENUBREAK | MF_MENUBARBREAK)))
            ++end;
        int width = 0;
        for (size_t i = start; i < end; ++i)
            width = std::max<int>(width, sizes[i].cx);
        int y = kBorder;
        for (size_t i = start; i < end; ++i)
        {
            level.items[i] = RECT{x, y, x + width, y + sizes[i].cy};
            y += sizes[i].cy;
        }
        bottom = std::max(bottom, y);
        x += width;
        if (end < n && (menu.items[end].flags & MF_MENUBARBREAK))
        {
            level.bars.push_back(RECT{x + kBarGap / 2, kBorder, x + kBarGap / 2 + 1, 0});
            x += kBarGap;
        }
        start = end;
    }
    for (RECT& bar : level.bars)
        bar.bottom = bottom;
    return SIZE{std::max(x + kBorder, kMinimumWidth), bottom + kBorder};
}

bool MenuTracker::openLevel(HMENU handle, int x, int y, const Level* parent, int parentItem)
{
    const Menu* menu = findMenu(handle);
    if (!menu || menu->items.empty())
        return false;
    Level level;
    level.menu = handle;
    const SIZE size = layout(*menu, level);
    if (parent)
    {
        const RECT& item = parent->items[static_cast<size_t>(parentItem)];
        x = parent->frame.right - kBorder;
        y = parent->frame.top + item.top - kBorder;
        if (x + size.cx > screenWidth_)
            x = parent->frame.left - size.cx + kBorder;
    }
    else
    {
        if (flags_ & TPM_CENTERALIGN)
            x -= size.cx / 2;
        else if (flags_ & TPM_RIGHTALIGN)
            x -= size.cx;
        if (flags_ & TPM_VCENTERALIGN)
            y -= size.cy / 2;
        else if (flags_ & TPM_BOTTOMALIGN)
            y -= size.cy;
        // Below the point when there is room, else above it, as on Windows.
        if (y + size.cy > screenHeight_ && y - size.cy >= 0)
            y -= size.cy;
    }
    x = std::max(0, std::min<int>(x, screenWidth_ - size.cx));
    y = std::max(0, std::min<int>(y, screenHeight_ - size.cy));
    level.frame = RECT{x, y, x + size.cx, y + size.cy};

    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixmap = 0;
    attributes.border_pixel = 0;
    attributes.colormap = colormap_;
    attributes.save_under = True;
    attributes.event_mask =
        ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask;
    level.xid = XCreateWindow(
        display_, root_, x, y, static_cast<unsigned>(size.cx), static_cast<unsigned>(size.cy), 0,
        format_.depth, InputOutput, format_.visual,
        CWOverrideRedirect | CWBackPixmap | CWBorderPixel | CWColormap | CWSaveUnder | CWEventMask,
        &attributes);
    if (::Cursor arrow = xCursorOf(LoadCursorA(nullptr, IDC_ARROW)))
        XDefineCursor(display_, level.xid, arrow);
    XGCValues values{};
    values.graphics_exposures = False;
    level.gc = XCreateGC(display_, level.xid, GCGraphicsExposures, &values);
    level.bitmap = CreateBitmap(size.cx, size.cy, 1, 32, nullptr);
    level.dc = CreateCompatibleDC(nullptr);
    level.previousBitmap = SelectObject(level.dc, level.bitmap);
    SelectObject(level.dc, font_);
    SetBkMode(level.dc, TRANSPARENT);
    levels_.push_back(level);
    paint(levels_.back());
    XMapRaised(display_, level.xid);
    XFlush(display_);
    return true;
}

void MenuTracker::closeLevelsFrom(size_t index)
{
    while (levels_.size() > index)
    {
        Level& level = levels_.back();
        XDestroyWindow(display_, level.xid);
        XFreeGC(display_, level.gc);
        SelectObject(level.dc, level.previousBitmap);
        DeleteDC(level.dc);
        DeleteObject(level.bitmap);
        levels_.pop_back();
    }
    if (index > 0 && index <= levels_.size())
        levels_[index - 1].needsPaint = true;
}

bool MenuTracker::grab()
{
    const ::Window window = levels_.front().xid;
    const DWORD start = GetTickCount();
    firstSerial_ = NextRequest(display_);
    for (;;)
    {
        const unsigned events = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
        if (!pointerGrabbed_)
            pointerGrabbed_ = XGrabPointer(display_, window, True, events, GrabModeAsync,
                                           GrabModeAsync, 0, 0, CurrentTime) == GrabSuccess;
        if (!keyboardGrabbed_)
            keyboardGrabbed_ = XGrabKeyboard(display_, window, True, GrabModeAsync, GrabModeAsync,
                                             CurrentTime) == GrabSuccess;
        if (pointerGrabbed_ && keyboardGrabbed_)
            return true;
        if (GetTickCount() - start >= kGrabPatienceMs)
            return pointerGrabbed_; // the mouse alone still works the menu
        Sleep(5);
    }
}

// ---- Painting
// ------------------------------------------------------------------------------------

void MenuTracker::paint(Level& level)
{
    level.needsPaint = false;
    const Menu* menu = findMenu(level.menu);
    if (!menu)
        return;
    const RECT whole{0, 0, level.frame.right - level.frame.left,
                     level.frame.bottom - level.frame.top};
    fill(level.dc, whole, COLOR_MENU);
    for (size_t i = 0; i < menu->items.size() && i < level.items.size(); ++i)
        drawItem(level, *menu, i);
    for (const RECT& bar : level.bars)
        fill(level.dc, bar, COLOR_BTNSHADOW);
    const int w = whole.right;
    const int h = whole.bottom;
    fill(level.dc, RECT{0, 0, w, 1}, COLOR_BTNSHADOW);
    fill(level.dc, RECT{0, h - 1, w, h}, COLOR_BTNSHADOW);
    fill(level.dc, RECT{0, 0, 1, h}, COLOR_BTNSHADOW);
    fill(level.dc, RECT{w - 1, 0, w, h}, COLOR_BTNSHADOW);
    const PixelView view = bitmapPixels(level.bitmap);
    if (view.pixels)
        putPixels(display_, level.xid, level.gc, format_, view.pixels, view.width, whole);
    XFlush(display_);
}

void MenuTracker::drawItem(Level& level, const Menu& menu, size_t index)
{
    const MenuItem& item = menu.items[index];
    const RECT r = level.items[index];
    const bool selected = static_cast<int>(index) == level.selected && !item.separator();
    if (!item.ownerDrawn())
    {
        drawPlainItem(level, item, r, selected);
        return;
    }
    UINT state = 0;
    if (item.flags & MF_CHECKED)
        state |= ODS_CHECKED;
    if (item.flags & MF_GRAYED)
        state |= ODS_GRAYED | ODS_DISABLED;
    if (item.flags & MF_DISABLED)
        state |= ODS_DISABLED;
    if (selected)
        state |= ODS_SELECTED;
    DRAWITEMSTRUCT d{ODT_MENU,       0,     static_cast<UINT>(item.id),
                     ODA_DRAWENTIRE, state, reinterpret_cast<HWND>(level.menu),
                     level.dc,       r,     item.data};
    HRGN clip = CreateRectRgn(r.left, r.top, r.right, r.bottom);
    SelectClipRgn(level.dc, clip);
    DeleteObject(clip);
    SendMessageA(owner_, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&d));
    SelectClipRgn(level.dc, nullptr);
    if (item.submenu)
        drawArrow(level.dc, r, selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
}

void MenuTracker::drawPlainItem(Level& level, const MenuItem& item, const RECT& r, bool selected)
{
    HDC dc = level.dc;
    fill(dc, r, selected ? COLOR_HIGHLIGHT : COLOR_MENU);
    if (item.separator())
    {
        const int mid = (r.top + r.bottom) / 2;
        fill(dc, RECT{r.left + 2, mid - 1, r.right - 2, mid}, COLOR_BTNSHADOW);
        fill(dc, RECT{r.left + 2, mid, r.right - 2, mid + 1}, COLOR_BTNHIGHLIGHT);
        return;
    }
    const int textColour = !item.enabled() ? COLOR_GRAYTEXT
                           : selected      ? COLOR_HIGHLIGHTTEXT
                                           : COLOR_MENUTEXT;
    SetTextColor(dc, GetSysColor(textColour));
    if (item.flags & MF_CHECKED)
        drawCheck(dc, r, GetSysColor(textColour));
    const auto [text, accelerator] = splitAtTab(item.text);
    RECT box{r.left + kCheckArea, r.top, r.right - kArrowArea, r.bottom};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &box,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (!accelerator.empty())
        DrawTextA(dc, accelerator.c_str(), static_cast<int>(accelerator.size()), &box,
                  DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    if (item.submenu)
        drawArrow(dc, r, textColour);
}

// ---- Input
// ---------------------------------------------------------------------------------------

MenuTracker::Hit MenuTracker::hitTest(int x, int y) const
{
    for (int l = static_cast<int>(levels_.size()) - 1; l >= 0; --l)
    {
        const Level& level = levels_[static_cast<size_t>(l)];
        if (!inside(level.frame, x, y))
            continue;
        const int cx = x - level.frame.left;
        const int cy = y - level.frame.top;
        for (size_t i = 0; i < level.items.size(); ++i)
            if (inside(level.items[i], cx, cy))
                return Hit{l, static_cast<int>(i)};
        return Hit{l, -1};
    }
    return Hit{};
}

void MenuTracker::handle(const XEvent& event)
{
    switch (event.type)
    {
    case Expose:
        for (Level& level : levels_)
            if (level.xid == event.xexpose.window)
                level.needsPaint = true;
        break;
    case MotionNotify:
    {
        const Hit hit = hitTest(event.xmotion.x_root, event.xmotion.y_root);
        if (hit.item < 0)
            break;
        const Level& level = levels_[static_cast<size_t>(hit.level)];
        const bool deeper = static_cast<size_t>(hit.level) + 1 < levels_.size();
        if (level.selected != hit.item || deeper)
        {
            hovered_ = true;
            if (level.selected != hit.item)
                select(hit.level, hit.item, true);
        }
        break;
    }
    case ButtonPress:
    {
        const Hit hit = hitTest(event.xbutton.x_root, event.xbutton.y_root);
        if (hit.level < 0)
        {
            done_ = true; // a click outside dismisses the menu, and goes no further
            break;
        }
        if (hit.item >= 0 && event.xbutton.button <= 3)
            select(hit.level, hit.item, true);
        break;
    }
    case ButtonRelease:
    {
        const unsigned button = event.xbutton.button;
        if (button < 1 || button > 3)
            break;
        const unsigned mask = Button1Mask << (button - 1);
        if (buttonsHeldAtOpen_ & mask)
        {
            // The release of the click that opened the menu chooses only after a drag onto an
            // item.
            buttonsHeldAtOpen_ &= ~mask;
            if (!hovered_)
                break;
        }
        if (button == 2 || (button == 3 && !(flags_ & TPM_RIGHTBUTTON)))
            break;
        const Hit hit = hitTest(event.xbutton.x_root, event.xbutton.y_root);
        if (hit.item >= 0)
            choose(hit.level, hit.item);
        break;
    }
    case KeyPress:
    {
        XKeyEvent key = event.xkey;
        onKey(XLookupKeysym(&key, 0));
        break;
    }
    default:
        break;
    }
}

void MenuTracker::onKey(KeySym key)
{
    if (levels_.empty())
        return;
    const int deepest = static_cast<int>(levels_.size()) - 1;
    const int selected = levels_.back().selected;
    const Menu* menu = findMenu(levels_.back().menu);
    const MenuItem* item =
        menu && selected >= 0 && static_cast<size_t>(selected) < menu->items.size()
            ? &menu->items[static_cast<size_t>(selected)]
            : nullptr;
    switch (key)
    {
    case XK_Escape:
        if (deepest > 0)
            closeLevelsFrom(static_cast<size_t>(deepest));
        else
            done_ = true;
        break;
    case XK_Down:
    case XK_KP_Down:
        moveSelection(1);
        break;
    case XK_Up:
    case XK_KP_Up:
        moveSelection(-1);
        break;
    case XK_Right:
    case XK_KP_Right:
        if (item && item->submenu && item->enabled())
            openSubmenuOf(deepest, selected, true);
        break;
    case XK_Left:
    case XK_KP_Left:
        if (deepest > 0)
            closeLevelsFrom(static_cast<size_t>(deepest));
        break;
    case XK_Return:
    case XK_KP_Enter:
    case XK_space:
        if (item && item->submenu && item->enabled())
            openSubmenuOf(deepest, selected, true);
        else if (item)
            choose(deepest, selected);
        break;
    default:
        break;
    }
}

void MenuTracker::select(int levelIndex, int item, bool openSubmenu)
{
    closeLevelsFrom(static_cast<size_t>(levelIndex) + 1);
    Level& level = levels_[static_cast<size_t>(levelIndex)];
    level.selected = item;
    level.needsPaint = true;
    const Menu* menu = findMenu(level.menu);
    if (!menu || item < 0 || static_cast<size_t>(item) >= menu->items.size())
        return;
    const MenuItem& chosen = menu->items[static_cast<size_t>(item)];
    if (openSubmenu && chosen.submenu && chosen.enabled())
        openSubmenuOf(levelIndex, item, false);
}

void MenuTracker::moveSelection(int step)
{
    Level& level = levels_.back();
    const Menu* menu = findMenu(level.menu);
    if (!menu || menu->items.empty())
        return;
    const int n = static_cast<int>(menu->items.size());
    int i = level.selected < 0 ? (step > 0 ? -1 : n) : level.selected;
    for (int tries = 0; tries < n; ++tries)
    {
        i = ((i + step) % n + n) % n;
        if (!menu->items[static_cast<size_t>(i)].separator())
        {
            select(static_cast<int>(levels_.size()) - 1, i, false);
            return;
        }
    }
}

void MenuTracker::openSubmenuOf(int levelIndex, int item, bool selectFirst)
{
    closeLevelsFrom(static_cast<size_t>(levelIndex) + 1);
    Level& parent = levels_[static_cast<size_t>(levelIndex)];
    parent.selected = item;
    parent.needsPaint = true;
    const Menu* menu = findMenu(parent.menu);
    if (!menu)
        return;
    const Level copy = parent; // openLevel may move the levels
    if (!openLevel(menu->items[static_cast<size_t>(item)].submenu, 0, 0, &copy, item))
        return;
    if (selectFirst)
        moveSelection(1);
}

void MenuTracker::choose(int levelIndex, int item)
{
    const Menu* menu = findMenu(levels_[static_cast<size_t>(levelIndex)].menu);
    if (!menu || item < 0 || static_cast<size_t>(item) >= menu->items.size())
        return;
    const MenuItem& chosen = menu->items[static_cast<size_t>(item)];
    if (chosen.separator() || chosen.submenu || !chosen.enabled())
        return;
    choice_ = chosen.id;
    done_ = true;
}

void MenuTracker::callIdleHook()
{
    for (HWND hwnd = owner_; WindowRecord* w = findWindow(hwnd);
         hwnd = w->parentIsOurs ? w->parent : nullptr)
        if (w->popupHook)
        {
            const PopupIdleHook hook = w->popupHook;
            void* context = w->popupHookContext;
            hook(context);
            return;
        }
}

} // namespace qev::platform
