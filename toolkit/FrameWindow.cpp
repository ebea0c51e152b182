// The frame's bond to the window system: the module's window class, the frame's child window and
// its window procedure, cursors, and the position and size of the windows around the frame.
#include "toolkit/CFrame.h"

#include "platform/Platform.h"
#include "toolkit/Buttons.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrameEditor.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/COptionMenuScheme.h"
#include "toolkit/DrawingFacilities.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace toolkit
{
namespace
{

// The window class every frame of the module uses: registered by the first frame with a host
// window, unregistered when the last one goes.
struct WindowClassUse
{
    char name[32] = {};
    int users = 0;
};

WindowClassUse& windowClassUse()
{
    static WindowClassUse use;
    return use;
}

// A host may nest its windows by a few pixels of frame; larger differences mean the window
// belongs to the host itself.
constexpr int kOuterWindowSlack = 60;
constexpr int kHostWindowSlack = 80;

int widthOf(const RECT& r)
{
    return r.right - r.left;
}

int heightOf(const RECT& r)
{
    return r.bottom - r.top;
}

bool hasCaption(HWND window)
{
    return (static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & WS_CAPTION) == WS_CAPTION;
}

// The buttons and modifier keys a button message carries. Win32 leaves the Alt key out of its
// mouse messages: that one is read from the keyboard state.
int32_t buttonsOf(WPARAM keys)
{
    int32_t buttons = 0;
    if (keys & MK_LBUTTON)
        buttons |= kLButton;
    if (keys & MK_MBUTTON)
        buttons |= kMButton;
    if (keys & MK_RBUTTON)
        buttons |= kRButton;
    if (keys & MK_SHIFT)
        buttons |= kShift;
    if (keys & MK_CONTROL)
        buttons |= kControl;
    if (GetAsyncKeyState(VK_MENU) & 0x8000)
        buttons |= kAlt;
    return buttons;
}

// The scheme that measures and draws an owner-drawn menu item: the one of the option menu whose
// pop-up is open, which is the frame's focus view while it is. Null for other items and views.
COptionMenuScheme* schemeOfOpenMenu(CFrame* frame, UINT controlType, ULONG_PTR itemData)
{
    if (controlType != ODT_MENU || !itemData)
        return nullptr;
    CView* focus = frame->getFocusView();
    if (!focus || !focus->isTypeOf("COptionMenu"))
        return nullptr;
    return static_cast<COptionMenu*>(focus)->getScheme();
}

int32_t schemeStateOf(UINT itemState)
{
    int32_t state = 0;
    if (itemState & ODS_CHECKED)
        state |= kMenuItemChecked;
    // Greyed items are as unavailable as disabled ones, and look it.
    if (itemState & (ODS_DISABLED | ODS_GRAYED))
        state |= kMenuItemDisabled;
    if (itemState & ODS_SELECTED)
        state |= kMenuItemSelected;
    return state;
}

} // namespace

// ---- The window ------------------------------------------------------------------------------

void CFrame::openWindow()
{
    WindowClassUse& use = windowClassUse();
    if (use.users++ == 0)
    {
        std::snprintf(use.name, sizeof use.name, "Plugin%p",
                      static_cast<void*>(qev::platform::moduleInstance()));
        WNDCLASSA windowClass{};
        windowClass.style = CS_GLOBALCLASS;
        windowClass.lpfnWndProc = &CFrame::windowProcedure;
        windowClass.hInstance = qev::platform::moduleInstance();
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        windowClass.lpszClassName = use.name;
        RegisterClassA(&windowClass);
        drawingFacilities().mouseButtonsSwapped = GetSystemMetrics(SM_SWAPBUTTON) > 0;
    }
    bWindowClassHeld = true;

    pHwnd = CreateWindowExA(0, use.name, "Window",
                            WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                            size.width(), size.height(), static_cast<HWND>(pSystemWindow), nullptr,
                            qev::platform::moduleInstance(), nullptr);
    if (!pHwnd)
        return;
    SetWindowLongPtrA(pHwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    setDropActive(true);
}

void CFrame::closeWindow()
{
    if (pHwnd)
    {
        // Cleared first, so that the window's last messages do not reach a frame going away.
        SetWindowLongPtrA(pHwnd, GWLP_USERDATA, 0);
        DestroyWindow(pHwnd);
        pHwnd = nullptr;
    }
    if (!bWindowClassHeld)
        return;
    bWindowClassHeld = false;
    WindowClassUse& use = windowClassUse();
    if (use.users > 0 && --use.users == 0)
        UnregisterClassA(use.name, qev::platform::moduleInstance());
}

LRESULT CALLBACK CFrame::windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* frame = reinterpret_cast<CFrame*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!frame)
        return DefWindowProcA(hwnd, message, wParam, lParam);

    switch (message)
    {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    {
        EventScope scope(frame);
        CDrawContext* context = new CDrawContext(frame, nullptr, hwnd);
        const CPoint where(LOWORD(lParam), HIWORD(lParam));
        // The buttons as they were when the click happened: by the time the message is handled
        // a quick click has often been released.
        frame->mouse(context, where, buttonsOf(wParam));
        context->forget();
        return 0;
    }
    case WM_MOUSEWHEEL:
    {
        {
            EventScope scope(frame);
            CDrawContext* context = new CDrawContext(frame, nullptr, hwnd);
            // The position comes in screen coordinates, as signed 16-bit values.
            CPoint where(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
            RECT window{};
            if (GetWindowRect(hwnd, &window))
                where.offset(-window.left, -window.top);
            const float distance = static_cast<float>(static_cast<short>(HIWORD(wParam)) /
                                                      static_cast<double>(WHEEL_DELTA));
            frame->onWheel(context, where, distance);
            context->forget();
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    case WM_PAINT:
    {
        RECT update{};
        if (!GetUpdateRect(hwnd, &update, FALSE))
            return DefWindowProcA(hwnd, message, wParam, lParam);
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(hwnd, &paint);
        CDrawContext* context = new CDrawContext(frame, dc, hwnd);
        frame->drawRect(context, CRect(paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right,
                                       paint.rcPaint.bottom));
        context->forget();
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_MEASUREITEM:
    {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        COptionMenuScheme* scheme =
            item ? schemeOfOpenMenu(frame, item->CtlType, item->itemData) : nullptr;
        if (!scheme)
            return DefWindowProcA(hwnd, message, wParam, lParam);
        CPoint size(0, 0);
        CDrawContext* context = new CDrawContext(frame, nullptr, hwnd);
        scheme->getItemSize(reinterpret_cast<const char*>(item->itemData), context, size);
        context->forget();
        // A scheme of someone else's making may answer a negative size: no room at all.
        item->itemWidth = static_cast<UINT>(size.h > 0 ? size.h : 0);
        item->itemHeight = static_cast<UINT>(size.v > 0 ? size.v : 0);
        return 1;
    }
    case WM_DRAWITEM:
    {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        COptionMenuScheme* scheme =
            item ? schemeOfOpenMenu(frame, item->CtlType, item->itemData) : nullptr;
        if (!scheme)
            return DefWindowProcA(hwnd, message, wParam, lParam);
        const RECT& r = item->rcItem;
        CDrawContext* context = new CDrawContext(frame, item->hDC, nullptr);
        scheme->drawItem(reinterpret_cast<const char*>(item->itemData),
                         static_cast<int32_t>(item->itemID), schemeStateOf(item->itemState),
                         context, CRect(r.left, r.top, r.right, r.bottom - 1));
        context->forget();
        return 1;
    }
    case WM_DESTROY:
        // The host destroyed its window, and ours with it. The drop target goes while the
        // window can still be named; the handle is never used again (it may name another
        // window one day).
        frame->setOpenFlag(false);
        frame->pSystemWindow = nullptr;
        frame->setDropActive(false);
        frame->pHwnd = nullptr;
        return DefWindowProcA(hwnd, message, wParam, lParam);
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

// ---- Cursors ---------------------------------------------------------------------------------

bool CFrame::setCursor(int32_t type)
{
    if (!bCursorSaved)
    {
        defaultCursor = GetCursor();
        bCursorSaved = true;
    }
    LPCSTR shape = nullptr;
    switch (type)
    {
    case 1:
        shape = IDC_WAIT;
        break;
    case 2:
        shape = IDC_SIZEWE;
        break;
    case 3:
        shape = IDC_SIZENS;
        break;
    case 4:
        shape = IDC_SIZEALL;
        break;
    case 5:
        shape = IDC_SIZENESW;
        break;
    case 6:
        shape = IDC_SIZENWSE;
        break;
    case 8:
        shape = IDC_NO;
        break;
    case 9:
        shape = IDC_HAND;
        break;
    default:
        break;
    }
    SetCursor(shape ? LoadCursorA(nullptr, shape) : defaultCursor);
    return true;
}

// ---- Position and size -----------------------------------------------------------------------

HWND CFrame::outerWindow() const
{
    RECT own{};
    if (!pHwnd || !GetWindowRect(pHwnd, &own))
        return nullptr;
    for (HWND window = pHwnd; window; window = GetParent(window))
    {
        if (hasCaption(window))
            return window;
        HWND parent = GetParent(window);
        RECT outer{};
        if (!parent || !GetWindowRect(parent, &outer))
            return window;
        if (std::abs(widthOf(outer) - widthOf(own)) > kOuterWindowSlack ||
            std::abs(heightOf(outer) - heightOf(own)) > kOuterWindowSlack)
            return window;
    }
    return nullptr;
}

bool CFrame::getPosition(int32_t& x, int32_t& y) const
{
    if (!bOpenFlag)
        return false;
    HWND outer = outerWindow();
    RECT screen{};
    if (!outer || !GetWindowRect(outer, &screen))
        return false;
    POINT origin{screen.left, screen.top};
    MapWindowPoints(HWND_DESKTOP, GetParent(outer), &origin, 1);
    x = origin.x;
    y = origin.y;
    return true;
}

bool CFrame::getSize(CRect& rect) const
{
    return getSize(&rect);
}

bool CFrame::getSize(CRect* rect) const
{
    if (!bOpenFlag || !rect || !pHwnd)
        return false;
    HWND host = GetParent(pHwnd);
    RECT screen{};
    if (!host || !GetWindowRect(host, &screen))
        return false;
    POINT origin{screen.left, screen.top};
    HWND hostParent = GetParent(host);
    MapWindowPoints(HWND_DESKTOP, hostParent ? GetParent(hostParent) : nullptr, &origin, 1);
    *rect = CRect(origin.x, origin.y, origin.x + widthOf(screen), origin.y + heightOf(screen));
    return true;
}

void CFrame::setViewSize(const CRect& rect)
{
    setSize(rect.width(), rect.height());
}

bool CFrame::setSize(int32_t width, int32_t height)
{
    if (!bOpenFlag || (width == size.width() && height == size.height()))
        return false;
    // The view size follows in every case, so that the offscreen buffer is made again at the new
    // size before the next drawing.
    const CRect placed(size.left, size.top, size.left + width, size.top + height);
    if (pEditor && pEditor->sizeWindow(width, height))
    {
        CViewContainer::setViewSize(placed);
        if (pHwnd)
            SetWindowPos(pHwnd, HWND_TOP, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
        return true;
    }
    if (!resizeWindowChain(width, height))
    {
        CViewContainer::setViewSize(placed);
        return true;
    }
    CViewContainer::setViewSize(CRect(0, 0, width, height));
    return true;
}

bool CFrame::resizeWindowChain(int32_t width, int32_t height)
{
    const int frameBorders = 2 * GetSystemMetrics(SM_CYFIXEDFRAME);
    int dw = 0;
    int dh = 0;
    HWND window = pHwnd;
    while (dw != frameBorders && window)
    {
        HWND parent = GetParent(window);
        char className[16] = {};
        if (!parent || (GetClassNameA(parent, className, sizeof className) > 0 &&
                        std::strcmp(className, "MDIClient") == 0))
            break;
        RECT own{};
        RECT outer{};
        GetWindowRect(window, &own);
        GetWindowRect(parent, &outer);
        SetWindowPos(window, HWND_TOP, 0, 0, width + dw, height + dh, SWP_NOMOVE | SWP_NOZORDER);
        dw += widthOf(outer) - widthOf(own);
        dh += heightOf(outer) - heightOf(own);
        if (dw > kHostWindowSlack || dh > kHostWindowSlack)
            return false; // the parent belongs to the host
        dw = dw < 0 ? 0 : dw;
        dh = dh < 0 ? 0 : dh;
        window = parent;
    }
    if (window)
        SetWindowPos(window, HWND_TOP, 0, 0, width + dw, height + dh, SWP_NOMOVE | SWP_NOZORDER);
    return true;
}

} // namespace toolkit
