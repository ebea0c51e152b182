#include "tests/support/Canvas.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace qev::test
{
namespace
{

const uint32_t kWhite = pixel(255, 255, 255);

int countNot(const Image& image, uint32_t background)
{
    int n = 0;
    for (uint32_t p : image.pixels)
        n += p != background;
    return n;
}

struct Segment
{
    int x0, y0, x1, y1;
};
void PrintTo(const Segment& s, std::ostream* os)
{
    *os << "(" << s.x0 << "," << s.y0 << ")-(" << s.x1 << "," << s.y1 << ")";
}

class LineEnds : public ::testing::TestWithParam<Segment>
{
};

TEST_P(LineEnds, StartIsDrawnEndIsNotAndEveryStepHasOnePixel)
{
    const Segment s = GetParam();
    Canvas canvas(20, 20);
    MoveToEx(canvas.dc(), s.x0, s.y0, nullptr);
    EXPECT_TRUE(LineTo(canvas.dc(), s.x1, s.y1));
    const Image image = canvas.image();
    EXPECT_EQ(image.at(s.x0, s.y0), 0u);
    EXPECT_EQ(image.at(s.x1, s.y1), kWhite);
    EXPECT_EQ(countNot(image, kWhite), std::max(std::abs(s.x1 - s.x0), std::abs(s.y1 - s.y0)));
    // The next line starts where this one ended.
    POINT position{};
    MoveToEx(canvas.dc(), 0, 0, &position);
    EXPECT_EQ(position.x, s.x1);
    EXPECT_EQ(position.y, s.y1);
}

INSTANTIATE_TEST_SUITE_P(Directions, LineEnds,
                         ::testing::Values(Segment{2, 5, 12, 5}, Segment{12, 5, 2, 5},
                                           Segment{5, 1, 5, 15}, Segment{5, 15, 5, 1},
                                           Segment{1, 1, 11, 11}, Segment{11, 1, 1, 11},
                                           Segment{0, 0, 17, 6}, Segment{3, 18, 9, 2}));

TEST(Lines, ZeroLengthLineDrawsNothing)
{
    Canvas canvas(5, 5);
    MoveToEx(canvas.dc(), 2, 2, nullptr);
    LineTo(canvas.dc(), 2, 2);
    EXPECT_EQ(countNot(canvas.image(), kWhite), 0);
}

TEST(Lines, NullPenMovesButDrawsNothing)
{
    Canvas canvas(10, 3);
    SelectObject(canvas.dc(), GetStockObject(NULL_PEN));
    MoveToEx(canvas.dc(), 0, 1, nullptr);
    LineTo(canvas.dc(), 9, 1);
    EXPECT_EQ(countNot(canvas.image(), kWhite), 0);
    POINT position{};
    MoveToEx(canvas.dc(), 0, 0, &position);
    EXPECT_EQ(position.x, 9);
}

TEST(Lines, DottedPenAlternatesThreeOnThreeOffAndFillsGapsOnlyWhenOpaque)
{
    Canvas canvas(12, 2);
    HPEN dotted = CreatePen(PS_DOT, 1, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(canvas.dc(), dotted);
    SetBkColor(canvas.dc(), RGB(0, 0, 255));
    SetBkMode(canvas.dc(), TRANSPARENT);
    MoveToEx(canvas.dc(), 0, 0, nullptr);
    LineTo(canvas.dc(), 12, 0);
    SetBkMode(canvas.dc(), OPAQUE);
    MoveToEx(canvas.dc(), 0, 1, nullptr);
    LineTo(canvas.dc(), 12, 1);
    const Image image = canvas.image();
    for (int x = 0; x < 12; ++x)
    {
        const bool on = (x / 3) % 2 == 0;
        EXPECT_EQ(image.at(x, 0), on ? pixel(255, 0, 0) : kWhite) << x;
        EXPECT_EQ(image.at(x, 1), on ? pixel(255, 0, 0) : pixel(0, 0, 255)) << x;
    }
    SelectObject(canvas.dc(), old);
    DeleteObject(dotted);
}

TEST(Lines, WidePenCoversItsWidthAcrossTheLine)
{
    Canvas canvas(20, 20);
    HPEN wide = CreatePen(PS_SOLID, 3, RGB(0, 0, 0));
    SelectObject(canvas.dc(), wide);
    MoveToEx(canvas.dc(), 5, 10, nullptr);
    LineTo(canvas.dc(), 15, 10);
    const Image image = canvas.image();
    for (int y = 9; y <= 11; ++y)
        EXPECT_EQ(image.at(10, y), 0u) << y;
    EXPECT_EQ(image.at(10, 8), kWhite);
    EXPECT_EQ(image.at(10, 12), kWhite);
    SelectObject(canvas.dc(), GetStockObject(BLACK_PEN));
    DeleteObject(wide);
}

struct Rop2Case
{
    int rop;
    uint32_t dest;
    COLORREF pen;
    uint32_t expected;
};
void PrintTo(const Rop2Case& c, std::ostream* os)
{
    *os << "rop2 " << c.rop << " pen " << std::hex << c.pen << " on " << c.dest;
}

class PenRasterOps : public ::testing::TestWithParam<Rop2Case>
{
};

TEST_P(PenRasterOps, CombinePenWithDestination)
{
    const Rop2Case c = GetParam();
    Canvas canvas(4, 1, RGB((c.dest >> 16) & 0xFF, (c.dest >> 8) & 0xFF, c.dest & 0xFF));
    HPEN pen = CreatePen(PS_SOLID, 1, c.pen);
    SelectObject(canvas.dc(), pen);
    SetROP2(canvas.dc(), c.rop);
    MoveToEx(canvas.dc(), 0, 0, nullptr);
    LineTo(canvas.dc(), 4, 0);
    EXPECT_EQ(canvas.at(2, 0), c.expected) << std::hex << c.expected;
    SelectObject(canvas.dc(), GetStockObject(BLACK_PEN));
    DeleteObject(pen);
}

INSTANTIATE_TEST_SUITE_P(
    AllThatTheToolkitUses, PenRasterOps,
    ::testing::Values(Rop2Case{R2_COPYPEN, 0x123456, RGB(0xAB, 0xCD, 0xEF), 0xABCDEF},
                      Rop2Case{R2_MERGEPEN, 0x0F0F00, RGB(0xF0, 0x00, 0x0F), 0xFF0F0F},
                      Rop2Case{R2_NOTXORPEN, 0x00FF00, RGB(0xFF, 0xFF, 0x00), 0x00FFFF},
                      Rop2Case{R2_NOTXORPEN, 0x808080, RGB(0x80, 0x80, 0x80), 0xFFFFFF},
                      Rop2Case{R2_XORPEN, 0x00FF00, RGB(0xFF, 0xFF, 0x00), 0xFF0000},
                      Rop2Case{R2_NOT, 0x102030, RGB(0, 0, 0), 0xEFDFCF},
                      Rop2Case{R2_NOP, 0x102030, RGB(0xFF, 0, 0), 0x102030},
                      Rop2Case{R2_BLACK, 0x102030, RGB(0xFF, 0, 0), 0x000000},
                      Rop2Case{R2_WHITE, 0x102030, RGB(0, 0, 0), 0xFFFFFF},
                      Rop2Case{R2_MASKPEN, 0x0F0FFF, RGB(0xFF, 0x00, 0xF0), 0x0F00F0}));

TEST(Fills, FillRectExcludesRightAndBottom)
{
    Canvas canvas(10, 10);
    HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
    RECT r{2, 3, 6, 8};
    EXPECT_EQ(FillRect(canvas.dc(), &r, brush), 1);
    const Image image = canvas.image();
    const RECT ink = inkBox(image, kWhite);
    EXPECT_EQ(ink.left, 2);
    EXPECT_EQ(ink.top, 3);
    EXPECT_EQ(ink.right, 6);
    EXPECT_EQ(ink.bottom, 8);
    EXPECT_EQ(countNot(image, kWhite), 4 * 5);
    EXPECT_EQ(image.at(2, 3), pixel(10, 20, 30));
    DeleteObject(brush);
}

TEST(Fills, EmptyOrInvertedRectanglesAndNullBrushesFillNothing)
{
    Canvas canvas(10, 10);
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RECT empty{4, 4, 4, 9};
    RECT inverted{8, 8, 2, 2};
    RECT all{0, 0, 10, 10};
    FillRect(canvas.dc(), &empty, black);
    FillRect(canvas.dc(), &inverted, black);
    FillRect(canvas.dc(), &all, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(countNot(canvas.image(), kWhite), 0);
}

TEST(Fills, FillRectIgnoresTheRasterOperationButEllipseHonoursIt)
{
    Canvas canvas(10, 10, RGB(0, 0, 0));
    SetROP2(canvas.dc(), R2_NOT);
    RECT r{0, 0, 5, 5};
    FillRect(canvas.dc(), &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    EXPECT_EQ(canvas.at(1, 1), pixel(128, 128, 128));
    SelectObject(canvas.dc(), GetStockObject(NULL_PEN));
    Ellipse(canvas.dc(), 0, 0, 11, 11);
    EXPECT_EQ(canvas.at(5, 5), pixel(255, 255, 255));
}

TEST(Ellipses, WithoutOutlineTheShapeIsOnePixelSmallerAndSymmetric)
{
    Canvas canvas(20, 20);
    SelectObject(canvas.dc(), GetStockObject(NULL_PEN));
    SelectObject(canvas.dc(), GetStockObject(BLACK_BRUSH));
    EXPECT_TRUE(Ellipse(canvas.dc(), 2, 2, 13, 13));
    const Image image = canvas.image();
    const RECT ink = inkBox(image, kWhite);
    EXPECT_EQ(ink.left, 2);
    EXPECT_EQ(ink.top, 2);
    EXPECT_EQ(ink.right, 12);
    EXPECT_EQ(ink.bottom, 12);
    for (int y = 2; y < 12; ++y)
        for (int x = 2; x < 12; ++x)
        {
            EXPECT_EQ(image.at(x, y), image.at(13 - x, y)) << x << "," << y;
            EXPECT_EQ(image.at(x, y), image.at(y, x)) << x << "," << y;
        }
    EXPECT_EQ(image.at(2, 2), kWhite); // corners stay outside
    EXPECT_EQ(image.at(7, 7), 0u);
}

TEST(Ellipses, OutlineUsesThePenAndTheInsideTheBrush)
{
    Canvas canvas(20, 20);
    HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HGDIOBJ oldPen = SelectObject(canvas.dc(), red);
    SelectObject(canvas.dc(), GetStockObject(BLACK_BRUSH));
    Ellipse(canvas.dc(), 0, 0, 20, 20);
    const Image image = canvas.image();
    EXPECT_EQ(image.at(10, 0), pixel(255, 0, 0));
    EXPECT_EQ(image.at(0, 10), pixel(255, 0, 0));
    EXPECT_EQ(image.at(10, 10), 0u);
    EXPECT_EQ(inkBox(image, kWhite).right, 20);
    SelectObject(canvas.dc(), oldPen);
    DeleteObject(red);
}

TEST(Pixels, SetAndGetRespectTheClip)
{
    Canvas canvas(4, 4);
    EXPECT_EQ(SetPixel(canvas.dc(), 1, 1, RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(canvas.dc(), 1, 1), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(canvas.dc(), 4, 0), CLR_INVALID);
    HRGN clip = CreateRectRgn(2, 2, 4, 4);
    SelectClipRgn(canvas.dc(), clip);
    EXPECT_EQ(SetPixel(canvas.dc(), 0, 0, RGB(0, 0, 0)), CLR_INVALID);
    EXPECT_EQ(canvas.at(0, 0), kWhite);
    DeleteObject(clip);
}

TEST(Pixels, ScreenDCWithoutWindowsAcceptsDrawingAndKeepsNothing)
{
    HDC screen = GetDC(nullptr);
    MoveToEx(screen, 0, 0, nullptr);
    EXPECT_TRUE(LineTo(screen, 10, 10));
    EXPECT_EQ(GetPixel(screen, 1, 1), CLR_INVALID);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}

} // namespace
} // namespace qev::test
