// Input and exposures reaching the window procedure as Win32 messages, the queue's filters, an
// idle that costs nothing, and the host destroying its window before we do.
#include "tests/platform/WindowTestKit.h"

#include <X11/keysym.h>

namespace qev::test
{
namespace
{

using qev::platform::pumpMessages;
using qev::platform::windowSystemRequests;

struct ButtonCase
{
    const char* name;
    unsigned button;
    UINT down;
    WPARAM pressedBit;
    unsigned long modifier; // keysym held during the click, or 0
    WPARAM modifierBit;
};

class MouseButton : public WindowTest, public ::testing::WithParamInterface<ButtonCase>
{
};

TEST_P(MouseButton, ReachesTheProcedureInClientCoordinatesWithItsKeyBits)
{
    const ButtonCase& c = GetParam();
    HWND w = makeChild(hostWindow(), 200, 100);
    settle(w);
    const POINT p = screenPoint(w, 30, 40);
    host_->moveTo(p.x, p.y);
    if (c.modifier)
        host_->keyDown(c.modifier);
    host_->press(c.button);
    host_->release(c.button);
    if (c.modifier)
        host_->keyUp(c.modifier);
    ASSERT_TRUE(pumpUntilReceived(c.down + 1));
    const Received* down = first(c.down);
    const Received* up = first(c.down + 1);
    ASSERT_NE(down, nullptr);
    EXPECT_EQ(down->hwnd, w);
    EXPECT_EQ(down->lParam, MAKELPARAM(30, 40));
    EXPECT_EQ(down->wParam, c.pressedBit | c.modifierBit);
    EXPECT_EQ(up->lParam, MAKELPARAM(30, 40));
    EXPECT_EQ(up->wParam, c.modifierBit); // the state after the release
    EXPECT_EQ(count(c.down), 1);
}

INSTANTIATE_TEST_SUITE_P(Buttons, MouseButton,
                         ::testing::Values(ButtonCase{"Left", 1, WM_LBUTTONDOWN, MK_LBUTTON, 0, 0},
                                           ButtonCase{"Middle", 2, WM_MBUTTONDOWN, MK_MBUTTON, 0,
                                                      0},
                                           ButtonCase{"Right", 3, WM_RBUTTONDOWN, MK_RBUTTON, 0, 0},
                                           ButtonCase{"LeftWithShift", 1, WM_LBUTTONDOWN,
                                                      MK_LBUTTON, XK_Shift_L, MK_SHIFT},
                                           ButtonCase{"RightWithControl", 3, WM_RBUTTONDOWN,
                                                      MK_RBUTTON, XK_Control_L, MK_CONTROL}),
                         [](const auto& info) { return std::string(info.param.name); });

struct WheelCase
{
    const char* name;
    unsigned button;
    UINT message;
    short delta;
};

class Wheel : public WindowTest, public ::testing::WithParamInterface<WheelCase>
{
};

TEST_P(Wheel, GivesASignedNotchInTheHighWordAndScreenCoordinates)
{
    HWND w = makeChild(hostWindow(), 200, 100);
    settle(w);
    const POINT p = screenPoint(w, 12, 34);
    host_->moveTo(p.x, p.y);
    host_->keyDown(XK_Control_L);
    host_->press(GetParam().button);
    host_->release(GetParam().button);
    host_->keyUp(XK_Control_L);
    ASSERT_TRUE(pumpUntilReceived(GetParam().message));
    const Received* wheel = first(GetParam().message);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheel->wParam), GetParam().delta);
    EXPECT_EQ(GET_KEYSTATE_WPARAM(wheel->wParam), MK_CONTROL);
    EXPECT_EQ(wheel->lParam, MAKELPARAM(p.x, p.y));
    EXPECT_EQ(count(WM_LBUTTONDOWN) + count(WM_LBUTTONUP) + count(WM_RBUTTONDOWN), 0);
}

INSTANTIATE_TEST_SUITE_P(Buttons, Wheel,
                         ::testing::Values(WheelCase{"Up", 4, WM_MOUSEWHEEL, 120},
                                           WheelCase{"Down", 5, WM_MOUSEWHEEL, -120},
                                           WheelCase{"Left", 6, WM_MOUSEHWHEEL, -120},
                                           WheelCase{"Right", 7, WM_MOUSEHWHEEL, 120}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, ManyExposuresGiveOnePaintOverTheirUnion)
{
    HWND w = makeChild(hostWindow(), 300, 200);
    settle(w);
    const RECT rects[] = {{10, 10, 30, 20},
                          {100, 50, 120, 90},
                          {5, 150, 25, 160},
                          {200, 20, 210, 30},
                          {50, 60, 70, 80}};
    for (const RECT& r : rects)
        host_->expose(HostClient::xid(w), r.left, r.top, r.right - r.left, r.bottom - r.top);
    const RECT whole{5, 10, 210, 160};
    MSG msg;
    RECT update{};
    // Reading without dispatching gathers the exposures into the update region.
    ASSERT_TRUE(waitUntil(
        [&]
        {
            GetUpdateRect(w, &update, FALSE);
            return update.left == whole.left && update.top == whole.top &&
                   update.right == whole.right && update.bottom == whole.bottom;
        },
        [&] { PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE); }));

    RECT painted{};
    onMessage = [&](HWND hwnd, UINT message, WPARAM, LPARAM, bool& handled)
    {
        handled = message == WM_PAINT;
        if (handled)
        {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            painted = ps.rcPaint;
            EndPaint(hwnd, &ps);
        }
        return LRESULT(0);
    };
    pumpMessages();
    EXPECT_EQ(count(WM_PAINT), 1);
    EXPECT_EQ(painted.left, whole.left);
    EXPECT_EQ(painted.top, whole.top);
    EXPECT_EQ(painted.right, whole.right);
    EXPECT_EQ(painted.bottom, whole.bottom);
    EXPECT_EQ(count(WM_ERASEBKGND), 1);
    pumpMessages();
    EXPECT_EQ(count(WM_PAINT), 1);
}

TEST_F(WindowTest, PeekFiltersByWindowAndRangeAndPaintStaysUntilValidated)
{
    HWND a = makeChild(hostWindow(), 100, 100);
    HWND b = makeChild(hostWindow(), 100, 100);
    HWND child = makeChild(a, 20, 20);
    settle(a);
    settle(b);
    settle(child);
    EXPECT_TRUE(PostMessageA(b, WM_USER + 1, 1, 0));
    EXPECT_TRUE(PostMessageA(child, WM_USER + 2, 2, 0));
    EXPECT_TRUE(PostMessageA(nullptr, WM_USER + 3, 3, 0));
    EXPECT_FALSE(PostMessageA(hostWindow(), WM_USER, 0, 0)); // another program's window

    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, a, 0, 0, PM_NOREMOVE)); // a's child counts as a
    EXPECT_EQ(msg.hwnd, child);
    EXPECT_FALSE(PeekMessageA(&msg, a, WM_USER + 1, WM_USER + 1, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 3));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 1, WM_USER + 2, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(DispatchMessageA(&msg), 0);
    EXPECT_EQ(received.back().message, static_cast<UINT>(WM_USER + 1));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 2u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));

    const RECT part{1, 2, 3, 4};
    InvalidateRect(b, &part, FALSE);
    for (int i = 0; i < 2; ++i)
    {
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE));
        EXPECT_EQ(msg.hwnd, b);
    }
    EXPECT_FALSE(PeekMessageA(&msg, a, WM_PAINT, WM_PAINT, PM_REMOVE));
    DispatchMessageA(&msg); // the default procedure validates
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE));

    EXPECT_EQ(SendMessageA(b, WM_USER + 9, 0, 0), 0);
    EXPECT_EQ(received.back().message, static_cast<UINT>(WM_USER + 9));
    EXPECT_EQ(SendMessageA(hostWindow(), WM_USER + 9, 0, 0), 0);
}

TEST_F(WindowTest, AnIdlePumpWithNothingPendingSendsNoRequest)
{
    HWND w = makeChild(hostWindow(), 100, 100);
    settle(w);
    pumpMessages();
    const unsigned long before = windowSystemRequests();
    for (int i = 0; i < 1000; ++i)
        pumpMessages();
    EXPECT_EQ(windowSystemRequests(), before);
    EXPECT_TRUE(received.empty());
}

TEST_F(WindowTest, WhenTheHostDestroysItsWindowFirstOurWindowGetsOneDestroyAndLaterCallsAreHarmless)
{
    const Window parent = host_->createTopLevel(300, 200);
    HWND w = makeChild(HostClient::hwnd(parent), 200, 100);
    HWND inner = makeChild(w, 50, 50);
    settle(w);
    host_->destroy(parent);

    // Before the news has arrived: drawing and configuring fail on the server, quietly.
    HDC dc = GetDC(w);
    const RECT r{0, 0, 200, 100};
    FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
    ReleaseDC(w, dc);
    SetWindowPos(w, nullptr, 0, 0, 150, 90, SWP_NOMOVE | SWP_NOZORDER);
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));

    ASSERT_TRUE(pumpUntilReceived(WM_NCDESTROY));
    pumpMessages();
    EXPECT_EQ(count(WM_DESTROY), 2); // ours and its child, once each
    int destroyedW = 0;
    for (const Received& m : received)
        destroyedW += m.hwnd == w && m.message == WM_DESTROY ? 1 : 0;
    EXPECT_EQ(destroyedW, 1);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_FALSE(IsWindow(inner));
    EXPECT_FALSE(qev::platform::windowSystemConnected());

    // Everything later is refused or does nothing.
    EXPECT_FALSE(DestroyWindow(w));
    EXPECT_EQ(SetWindowLongPtrA(w, GWLP_USERDATA, 0), 0);
    dc = GetDC(w);
    FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
    ReleaseDC(w, dc);
    EXPECT_FALSE(InvalidateRect(w, nullptr, TRUE));
    PAINTSTRUCT ps;
    EXPECT_EQ(BeginPaint(w, &ps), nullptr);
    pumpMessages();
    EXPECT_EQ(count(WM_DESTROY), 2);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

TEST_F(WindowTest, ErrorsOfOtherConnectionsStillReachThePreviousHandler)
{
    HWND w = makeChild(hostWindow());
    ASSERT_NE(w, nullptr);
    XMapWindow(host_->display(), 0x1ABCDEF); // the host's own mistake
    host_->sync();
    EXPECT_EQ(hostErrors(), 1);
    hostErrors() = 0;
}

} // namespace
} // namespace qev::test
