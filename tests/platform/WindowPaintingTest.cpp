// What reaches the X window when a window's DC is released: exactly the touched rectangle, the
// paint rectangle's clip, and the class background on erase.
#include "tests/platform/WindowTestKit.h"

namespace qev::test
{
namespace
{

constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kBlue = 0x0000FF;

void fillWith(HDC dc, const RECT& r, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

TEST_F(WindowTest, ReleasingADcSendsOnlyTheRectangleDrawingTouched)
{
    HWND w = makeChild(hostWindow(), 100, 80);
    settle(w);
    const Window x = HostClient::xid(w);
    HDC dc = GetDC(w);
    fillWith(dc, RECT{0, 0, 100, 80}, RGB(255, 0, 0));
    ReleaseDC(w, dc);
    syncBoth();
    EXPECT_EQ(host_->readPixels(x, 50, 50, 1, 1).at(0, 0), kRed);

    // Someone else paints the window green; our surface still holds red everywhere.
    host_->fillWindow(x, kGreen, 0, 0, 100, 80);
    dc = GetDC(w);
    fillWith(dc, RECT{10, 10, 30, 20}, RGB(0, 0, 255));
    ReleaseDC(w, dc);
    syncBoth();
    const ServerPixels shown = host_->readPixels(x, 0, 0, 100, 80);
    for (int y = 0; y < 80; ++y)
        for (int i = 0; i < 100; ++i)
        {
            const bool inside = i >= 10 && i < 30 && y >= 10 && y < 20;
            ASSERT_EQ(shown.at(i, y), inside ? kBlue : kGreen) << "at " << i << "," << y;
        }

    // A DC that draws nothing sends nothing.
    dc = GetDC(w);
    ReleaseDC(w, dc);
    syncBoth();
    EXPECT_EQ(host_->readPixels(x, 50, 50, 1, 1).at(0, 0), kGreen);
}

TEST_F(WindowTest, APaintDcDrawsOnlyInsideTheUpdateRectangleAndErasesWithTheClassBrush)
{
    HWND w = makeChild(hostWindow(), 120, 90);
    settle(w);
    const Window x = HostClient::xid(w);
    host_->fillWindow(x, kGreen, 0, 0, 120, 90);
    onMessage = [&](HWND hwnd, UINT message, WPARAM, LPARAM, bool& handled)
    {
        handled = message == WM_PAINT;
        if (handled)
        {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT clip;
            GetClipBox(dc, &clip);
            EXPECT_EQ(clip.left, ps.rcPaint.left);
            EXPECT_EQ(clip.bottom, ps.rcPaint.bottom);
            fillWith(dc, RECT{0, 0, 60, 90}, RGB(0, 0, 255)); // the left half only
            EndPaint(hwnd, &ps);
        }
        return LRESULT(0);
    };
    const RECT erased{40, 20, 100, 50};
    InvalidateRect(w, &erased, TRUE);
    qev::platform::pumpMessages();
    ASSERT_EQ(count(WM_PAINT), 1);
    ASSERT_EQ(count(WM_ERASEBKGND), 1);
    syncBoth();
    const ServerPixels shown = host_->readPixels(x, 0, 0, 120, 90);
    EXPECT_EQ(shown.at(50, 30), kBlue);     // painted inside the update rectangle
    EXPECT_EQ(shown.at(80, 30), 0xF0F0F0u); // erased with the button face, not painted over
    EXPECT_EQ(shown.at(20, 30), kGreen);    // outside: untouched
    EXPECT_EQ(shown.at(50, 70), kGreen);
}

TEST_F(WindowTest, ADcOutlivingItsWindowDrawsNothing)
{
    HWND w = makeChild(hostWindow(), 50, 50);
    HDC dc = GetDC(w);
    DestroyWindow(w);
    fillWith(dc, RECT{0, 0, 50, 50}, RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(dc, 1, 1), CLR_INVALID);
    EXPECT_EQ(ReleaseDC(w, dc), 1);
    EXPECT_EQ(ReleaseDC(w, dc), 0);
}

} // namespace
} // namespace qev::test
