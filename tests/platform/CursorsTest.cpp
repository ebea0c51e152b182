// The system cursors show on our windows as the X cursor-font shapes they stand for.
#include "tests/platform/WindowTestKit.h"

#include <X11/cursorfont.h>
#include <X11/extensions/Xfixes.h>

#include <vector>

namespace qev::test
{
namespace
{

struct CursorCase
{
    const char* name;
    LPCSTR id;
    unsigned shape;
};

// What the server shows as the cursor now: its image, from XFixes.
std::vector<unsigned long> shownCursor(Display* display)
{
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (!image)
        return {};
    std::vector<unsigned long> pixels(image->pixels, image->pixels + image->width * image->height);
    pixels.push_back(image->width);
    pixels.push_back(image->height);
    pixels.push_back(image->xhot);
    XFree(image);
    return pixels;
}

class SystemCursor : public WindowTest, public ::testing::WithParamInterface<CursorCase>
{
};

TEST_P(SystemCursor, ShowsItsShapeOverOurWindow)
{
    HWND w = makeChild(hostWindow(), 100, 100);
    settle(w);
    Display* d = host_->display();
    // The expected image: the same shape shown over a window of the host's.
    const Window probe = host_->createChild(top_, 300, 0, 100, 100);
    const Cursor expected = XCreateFontCursor(d, GetParam().shape);
    XDefineCursor(d, probe, expected);
    const POINT overProbe = host_->screenOrigin(probe);
    host_->moveTo(overProbe.x + 50, overProbe.y + 50);
    const std::vector<unsigned long> want = shownCursor(d);
    ASSERT_FALSE(want.empty());

    const HCURSOR cursor = LoadCursorA(nullptr, GetParam().id);
    ASSERT_NE(cursor, nullptr);
    const HCURSOR before = GetCursor();
    EXPECT_EQ(SetCursor(cursor), before);
    EXPECT_EQ(GetCursor(), cursor);
    syncBoth();
    const POINT overUs = screenPoint(w, 50, 50);
    host_->moveTo(overUs.x, overUs.y);
    EXPECT_EQ(shownCursor(d), want);
    XFreeCursor(d, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, SystemCursor,
    ::testing::Values(CursorCase{"Wait", IDC_WAIT, XC_watch},
                      CursorCase{"SizeWE", IDC_SIZEWE, XC_sb_h_double_arrow},
                      CursorCase{"SizeNS", IDC_SIZENS, XC_sb_v_double_arrow},
                      CursorCase{"SizeAll", IDC_SIZEALL, XC_fleur},
                      CursorCase{"SizeNESW", IDC_SIZENESW, XC_bottom_left_corner},
                      CursorCase{"SizeNWSE", IDC_SIZENWSE, XC_bottom_right_corner},
                      CursorCase{"No", IDC_NO, XC_X_cursor}, CursorCase{"Hand", IDC_HAND, XC_hand2},
                      CursorCase{"Arrow", IDC_ARROW, XC_left_ptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, UnknownCursorsAreRefusedAndTheClassCursorShowsAtFirst)
{
    EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(1)), nullptr);
    EXPECT_EQ(LoadCursorA(qev::platform::moduleInstance(), IDC_ARROW), nullptr);
    const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), arrow);
    EXPECT_EQ(GetCursor(), arrow);
    int standIn = 0;
    EXPECT_EQ(SetCursor(reinterpret_cast<HCURSOR>(&standIn)), arrow);
    EXPECT_EQ(GetCursor(), arrow);

    HWND w = makeChild(hostWindow(), 100, 100);
    settle(w);
    syncBoth();
    Display* d = host_->display();
    const Window probe = host_->createChild(top_, 300, 0, 100, 100);
    const Cursor leftPointer = XCreateFontCursor(d, XC_left_ptr);
    XDefineCursor(d, probe, leftPointer);
    const POINT overProbe = host_->screenOrigin(probe);
    host_->moveTo(overProbe.x + 5, overProbe.y + 5);
    const std::vector<unsigned long> want = shownCursor(d);
    const POINT overUs = screenPoint(w, 50, 50);
    host_->moveTo(overUs.x, overUs.y);
    EXPECT_EQ(shownCursor(d), want);
    XFreeCursor(d, leftPointer);
}

} // namespace
} // namespace qev::test
