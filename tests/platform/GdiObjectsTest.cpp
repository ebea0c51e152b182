#include "platform/Platform.h"
#include "tests/support/Canvas.h"

#include <gtest/gtest.h>

namespace qev::test
{
namespace
{

TEST(GdiObjects, BadHandlesFailWithoutHarm)
{
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    EXPECT_EQ(SelectObject(nullptr, pen), nullptr);
    EXPECT_FALSE(DeleteObject(nullptr));
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(pen)); // stale
    Canvas canvas(4, 4);
    EXPECT_EQ(SelectObject(canvas.dc(), pen), nullptr);
    EXPECT_FALSE(DeleteDC(nullptr));
    EXPECT_FALSE(LineTo(nullptr, 1, 1));
    EXPECT_EQ(FillRect(canvas.dc(), nullptr, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
    // A DC is not an object that DeleteObject frees, nor a brush that FillRect takes.
    RECT r{0, 0, 1, 1};
    EXPECT_FALSE(DeleteObject(canvas.dc()));
    EXPECT_EQ(FillRect(canvas.dc(), &r, reinterpret_cast<HBRUSH>(canvas.dc())), 0);
    EXPECT_EQ(canvas.at(0, 0), pixel(255, 255, 255));
}

TEST(GdiObjects, EveryCreatedObjectIsFreedAgain)
{
    const long before = platform::gdiCounts().alive;
    {
        Canvas canvas(8, 8);
        LOGFONTA lf{};
        lf.lfHeight = -12;
        HGDIOBJ objects[] = {CreatePen(PS_DOT, 1, 0), CreateSolidBrush(RGB(9, 9, 9)),
                             CreateFontIndirectA(&lf), CreateRectRgn(0, 0, 2, 2),
                             CreateBitmap(3, 3, 1, 1, nullptr)};
        for (HGDIOBJ o : objects)
            ASSERT_NE(o, nullptr);
        EXPECT_GT(platform::gdiCounts().alive, before);
        for (HGDIOBJ o : objects)
            EXPECT_TRUE(DeleteObject(o));
    }
    EXPECT_EQ(platform::gdiCounts().alive, before);
}

TEST(GdiObjects, DeletingASelectedObjectWaitsUntilItIsDeselected)
{
    Canvas canvas(8, 2);
    const long before = platform::gdiCounts().alive;
    HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(canvas.dc(), red);
    EXPECT_TRUE(DeleteObject(red));
    EXPECT_EQ(platform::gdiCounts().alive, before + 1);
    MoveToEx(canvas.dc(), 0, 0, nullptr);
    LineTo(canvas.dc(), 4, 0);
    EXPECT_EQ(canvas.at(3, 0), pixel(255, 0, 0));
    SelectObject(canvas.dc(), old);
    EXPECT_EQ(platform::gdiCounts().alive, before);
}

TEST(GdiObjects, StockObjectsSurviveDeletion)
{
    HGDIOBJ nullPen = GetStockObject(NULL_PEN);
    ASSERT_NE(nullPen, nullptr);
    EXPECT_TRUE(DeleteObject(nullPen));
    EXPECT_EQ(GetObjectType(nullPen), static_cast<DWORD>(OBJ_PEN));
    LOGPEN lp{};
    EXPECT_EQ(GetObjectA(nullPen, sizeof lp, &lp), static_cast<int>(sizeof lp));
    EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_NULL));
    EXPECT_EQ(GetStockObject(99), nullptr);
}

TEST(GdiObjects, NewMemoryDCHasWindowsDefaults)
{
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    EXPECT_EQ(GetROP2(dc), R2_COPYPEN);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
    BITMAP bm{};
    ASSERT_EQ(GetObjectA(GetCurrentObject(dc, OBJ_BITMAP), sizeof bm, &bm),
              static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 1);
    EXPECT_EQ(bm.bmHeight, 1);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    // Hence a bitmap compatible with a fresh memory DC is monochrome, one of the screen's is not.
    HBITMAP fromMemory = CreateCompatibleBitmap(dc, 5, 5);
    HDC screen = GetDC(nullptr);
    HBITMAP fromScreen = CreateCompatibleBitmap(screen, 5, 5);
    GetObjectA(fromMemory, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    GetObjectA(fromScreen, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(bm.bmWidthBytes, 20);
    DeleteObject(fromMemory);
    DeleteObject(fromScreen);
    ReleaseDC(nullptr, screen);
    DeleteDC(dc);
}

TEST(GdiObjects, BitmapsRefuseBadSizesAndDepths)
{
    EXPECT_EQ(CreateBitmap(0, 5, 1, 32, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(5, -1, 1, 32, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(5, 5, 1, 8, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(5, 5, 2, 1, nullptr), nullptr);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(screen, 0, 0), nullptr);
    ReleaseDC(nullptr, screen);
    BITMAP bm{};
    EXPECT_EQ(GetObjectA(nullptr, sizeof bm, &bm), 0);
}

TEST(GdiObjects, MonochromeBitsAreReadMostSignificantBitFirstInWordRows)
{
    const unsigned char bits[] = {0xA0, 0x00, 0x40, 0x00}; // rows of 2 bytes for a width of 3
    HBITMAP mono = CreateBitmap(3, 2, 1, 1, bits);
    const Image image = imageOf(mono);
    EXPECT_EQ(image.pixels, (std::vector<uint32_t>{0xFFFFFF, 0, 0xFFFFFF, 0, 0xFFFFFF, 0}));
    DeleteObject(mono);
}

TEST(GdiObjects, ABitmapLivesInOneDCAtATime)
{
    Canvas canvas(4, 4);
    HDC other = CreateCompatibleDC(canvas.dc());
    EXPECT_EQ(SelectObject(other, canvas.bitmap()), nullptr);
    DeleteDC(other);
}

TEST(GdiObjects, ClipRegionReplacesThePreviousOneAndIsCopied)
{
    Canvas canvas(20, 20);
    HRGN first = CreateRectRgn(0, 0, 5, 5);
    HRGN second = CreateRectRgn(12, 14, 10, 10); // corners in any order
    EXPECT_EQ(SelectClipRgn(canvas.dc(), first), SIMPLEREGION);
    EXPECT_EQ(SelectClipRgn(canvas.dc(), second), SIMPLEREGION);
    DeleteObject(second);
    RECT box{};
    EXPECT_EQ(GetClipBox(canvas.dc(), &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.top, 10);
    EXPECT_EQ(box.right, 12);
    EXPECT_EQ(box.bottom, 14);
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RECT all{0, 0, 20, 20};
    FillRect(canvas.dc(), &all, black);
    EXPECT_EQ(inkBox(canvas.image(), pixel(255, 255, 255)).left, 10);
    EXPECT_EQ(canvas.at(2, 2), pixel(255, 255, 255)); // not the union with the first clip
    EXPECT_EQ(SelectClipRgn(canvas.dc(), nullptr), SIMPLEREGION);
    FillRect(canvas.dc(), &all, black);
    EXPECT_EQ(canvas.at(2, 2), 0u);
    DeleteObject(first);
}

} // namespace
} // namespace qev::test
