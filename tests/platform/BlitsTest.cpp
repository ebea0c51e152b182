#include "tests/support/Canvas.h"

#include <gtest/gtest.h>

namespace qev::test
{
namespace
{

struct RopCase
{
    DWORD rop;
    uint32_t source;
    uint32_t dest;
    uint32_t expected;
};
void PrintTo(const RopCase& c, std::ostream* os)
{
    *os << "rop " << std::hex << c.rop << " source " << c.source << " on " << c.dest;
}

class BlitRasterOps : public ::testing::TestWithParam<RopCase>
{
};

COLORREF colorRef(uint32_t p)
{
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

TEST_P(BlitRasterOps, CombineSourceWithDestination)
{
    const RopCase c = GetParam();
    Canvas source(3, 3, colorRef(c.source));
    Canvas dest(3, 3, colorRef(c.dest));
    EXPECT_TRUE(BitBlt(dest.dc(), 0, 0, 3, 3, source.dc(), 0, 0, c.rop));
    EXPECT_EQ(dest.at(1, 1), c.expected) << std::hex << dest.at(1, 1);
}

INSTANTIATE_TEST_SUITE_P(Codes, BlitRasterOps,
                         ::testing::Values(RopCase{SRCCOPY, 0x123456, 0xFFFFFF, 0x123456},
                                           RopCase{SRCINVERT, 0xFF00FF, 0x0F0F0F, 0xF00FF0},
                                           RopCase{SRCAND, 0xF0F0F0, 0x3C3C3C, 0x303030},
                                           RopCase{SRCPAINT, 0xF00000, 0x0000F0, 0xF000F0},
                                           RopCase{NOTSRCCOPY, 0x00FF00, 0x000000, 0xFF00FF},
                                           RopCase{DSTINVERT, 0x000000, 0x00FF00, 0xFF00FF},
                                           RopCase{BLACKNESS, 0x123456, 0xFFFFFF, 0x000000},
                                           RopCase{WHITENESS, 0x123456, 0x000000, 0xFFFFFF}));

TEST(Blits, CopyMovesTheRightBlockToTheRightPlace)
{
    Canvas source(10, 10);
    SetPixel(source.dc(), 3, 4, RGB(1, 2, 3));
    SetPixel(source.dc(), 5, 6, RGB(4, 5, 6));
    Canvas dest(10, 10, RGB(0, 0, 0));
    BitBlt(dest.dc(), 1, 1, 3, 3, source.dc(), 3, 4, SRCCOPY);
    const Image image = dest.image();
    EXPECT_EQ(image.at(1, 1), pixel(1, 2, 3));
    EXPECT_EQ(image.at(3, 3), pixel(4, 5, 6));
    EXPECT_EQ(inkBox(image, 0).right, 4);
    EXPECT_EQ(inkBox(image, 0).bottom, 4);
}

TEST(Blits, CopiesAreCutToTheClipAndToTheSource)
{
    Canvas source(4, 4, RGB(9, 9, 9));
    Canvas dest(10, 10, RGB(0, 0, 0));
    HRGN clip = CreateRectRgn(0, 0, 10, 3);
    SelectClipRgn(dest.dc(), clip);
    DeleteObject(clip);
    // Asks for 8 x 8 starting one pixel before the source: only 4 x 3 can arrive, at (3, 0).
    EXPECT_TRUE(BitBlt(dest.dc(), 2, -1, 8, 8, source.dc(), -1, -1, SRCCOPY));
    const RECT ink = inkBox(dest.image(), 0);
    EXPECT_EQ(ink.left, 3);
    EXPECT_EQ(ink.top, 0);
    EXPECT_EQ(ink.right, 7);
    EXPECT_EQ(ink.bottom, 3);
}

TEST(Blits, OverlappingCopyWithinOneSurfaceReadsBeforeItWrites)
{
    Canvas canvas(1, 4, RGB(0, 0, 0));
    for (int y = 0; y < 4; ++y)
        SetPixel(canvas.dc(), 0, y, RGB(y, y, y));
    BitBlt(canvas.dc(), 0, 1, 1, 3, canvas.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(canvas.image().pixels, (std::vector<uint32_t>{0, 0, 0x010101, 0x020202}));
}

TEST(Blits, ColourToMonochromeMarksTheSourceBackgroundColourAsWhite)
{
    Canvas source(3, 1);
    SetPixel(source.dc(), 0, 0, RGB(255, 0, 255));
    SetPixel(source.dc(), 1, 0, RGB(255, 0, 254));
    SetPixel(source.dc(), 2, 0, RGB(0, 0, 0));
    SetBkColor(source.dc(), RGB(255, 0, 255));
    HDC monoDC = CreateCompatibleDC(source.dc());
    HBITMAP mono = CreateBitmap(3, 1, 1, 1, nullptr);
    HGDIOBJ old = SelectObject(monoDC, mono);
    BitBlt(monoDC, 0, 0, 3, 1, source.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(imageOf(mono).pixels, (std::vector<uint32_t>{0xFFFFFF, 0, 0}));
    SelectObject(monoDC, old);
    DeleteObject(mono);
    DeleteDC(monoDC);
}

TEST(Blits, MonochromeToColourTakesTheDestinationsTextAndBackgroundColours)
{
    const unsigned char bits[] = {0x80, 0x00}; // white, black
    HBITMAP mono = CreateBitmap(2, 1, 1, 1, bits);
    HDC monoDC = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(monoDC, mono);
    Canvas dest(2, 1);
    SetTextColor(dest.dc(), RGB(10, 20, 30));
    SetBkColor(dest.dc(), RGB(200, 100, 50));
    SetTextColor(monoDC, RGB(255, 0, 0)); // the source's colours play no part
    BitBlt(dest.dc(), 0, 0, 2, 1, monoDC, 0, 0, SRCCOPY);
    EXPECT_EQ(dest.image().pixels, (std::vector<uint32_t>{pixel(200, 100, 50), pixel(10, 20, 30)}));
    SelectObject(monoDC, old);
    DeleteObject(mono);
    DeleteDC(monoDC);
}

TEST(Blits, PatternCopyUsesTheSelectedBrushWithoutASource)
{
    Canvas dest(4, 4);
    HBRUSH brush = CreateSolidBrush(RGB(7, 8, 9));
    HGDIOBJ old = SelectObject(dest.dc(), brush);
    EXPECT_TRUE(BitBlt(dest.dc(), 1, 1, 2, 2, nullptr, 0, 0, PATCOPY));
    EXPECT_EQ(dest.at(2, 2), pixel(7, 8, 9));
    EXPECT_EQ(dest.at(3, 3), pixel(255, 255, 255));
    EXPECT_FALSE(BitBlt(dest.dc(), 0, 0, 2, 2, nullptr, 0, 0, SRCCOPY));
    SelectObject(dest.dc(), old);
    DeleteObject(brush);
}

TEST(Blits, TransparentBltSkipsTheKeyColour)
{
    Canvas source(2, 2, RGB(255, 255, 255));
    SetPixel(source.dc(), 0, 0, RGB(1, 1, 1));
    SetPixel(source.dc(), 1, 1, RGB(254, 255, 255));
    Canvas dest(2, 2, RGB(50, 60, 70));
    EXPECT_TRUE(TransparentBlt(dest.dc(), 0, 0, 2, 2, source.dc(), 0, 0, 2, 2, RGB(255, 255, 255)));
    EXPECT_EQ(dest.image().pixels,
              (std::vector<uint32_t>{pixel(1, 1, 1), pixel(50, 60, 70), pixel(50, 60, 70),
                                     pixel(254, 255, 255)}));
    EXPECT_FALSE(TransparentBlt(dest.dc(), 0, 0, 0, 2, source.dc(), 0, 0, 2, 2, 0));
    EXPECT_FALSE(TransparentBlt(dest.dc(), 0, 0, 2, 2, nullptr, 0, 0, 2, 2, 0));
}

TEST(Blits, TransparentBltStretchesByNearestNeighbour)
{
    Canvas source(2, 1, RGB(0, 0, 0));
    SetPixel(source.dc(), 1, 0, RGB(100, 0, 0));
    Canvas dest(4, 2);
    TransparentBlt(dest.dc(), 0, 0, 4, 2, source.dc(), 0, 0, 2, 1, RGB(0, 0, 0));
    const uint32_t w = pixel(255, 255, 255);
    const uint32_t r = pixel(100, 0, 0);
    EXPECT_EQ(dest.image().pixels, (std::vector<uint32_t>{w, w, r, r, w, w, r, r}));
}

struct AlphaCase
{
    BYTE alpha;
    uint32_t expected; // 200 over 100
};
void PrintTo(const AlphaCase& c, std::ostream* os)
{
    *os << "alpha " << int(c.alpha);
}

class ConstantAlpha : public ::testing::TestWithParam<AlphaCase>
{
};

TEST_P(ConstantAlpha, BlendsSourceOverDestination)
{
    Canvas source(2, 2, RGB(200, 0, 255));
    Canvas dest(2, 2, RGB(100, 255, 0));
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, GetParam().alpha, 0};
    EXPECT_TRUE(AlphaBlend(dest.dc(), 0, 0, 2, 2, source.dc(), 0, 0, 2, 2, blend));
    EXPECT_EQ(dest.at(1, 1), GetParam().expected) << std::hex << dest.at(1, 1);
}

INSTANTIATE_TEST_SUITE_P(Alphas, ConstantAlpha,
                         ::testing::Values(AlphaCase{0, pixel(100, 255, 0)},
                                           AlphaCase{255, pixel(200, 0, 255)},
                                           AlphaCase{128, pixel(150, 127, 128)},
                                           AlphaCase{51, pixel(120, 204, 51)}));

TEST(Blits, AlphaBlendRefusesOtherOperationsAndEmptySizes)
{
    Canvas source(2, 2);
    Canvas dest(2, 2);
    EXPECT_FALSE(
        AlphaBlend(dest.dc(), 0, 0, 2, 2, source.dc(), 0, 0, 2, 2, BLENDFUNCTION{1, 0, 128, 0}));
    EXPECT_FALSE(AlphaBlend(dest.dc(), 0, 0, 2, 0, source.dc(), 0, 0, 2, 2,
                            BLENDFUNCTION{AC_SRC_OVER, 0, 128, 0}));
}

TEST(Blits, PerPixelAlphaUsesThePremultipliedTopByte)
{
    const uint32_t source[2] = {0x80400000u, 0x00000000u}; // half-covered dark red, then nothing
    HBITMAP bitmap = CreateBitmap(2, 1, 1, 32, source);
    HDC sourceDC = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(sourceDC, bitmap);
    Canvas dest(2, 1);
    EXPECT_TRUE(AlphaBlend(dest.dc(), 0, 0, 2, 1, sourceDC, 0, 0, 2, 1,
                           BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA}));
    EXPECT_EQ(dest.image().pixels,
              (std::vector<uint32_t>{pixel(191, 127, 127), pixel(255, 255, 255)}));
    SelectObject(sourceDC, old);
    DeleteObject(bitmap);
    DeleteDC(sourceDC);
}

TEST(Blits, MonochromeSurfacesTakeTheNearerOfBlackAndWhite)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP mono = CreateBitmap(4, 1, 1, 1, nullptr);
    HGDIOBJ old = SelectObject(dc, mono);
    HBRUSH light = CreateSolidBrush(RGB(200, 180, 160));
    HBRUSH dark = CreateSolidBrush(RGB(90, 100, 110));
    RECT left{0, 0, 2, 1};
    RECT right{2, 0, 4, 1};
    FillRect(dc, &left, light);
    FillRect(dc, &right, dark);
    EXPECT_EQ(imageOf(mono).pixels, (std::vector<uint32_t>{0xFFFFFF, 0xFFFFFF, 0, 0}));
    // Monochrome to monochrome copies bits, whatever the colours of either DC.
    HDC other = CreateCompatibleDC(nullptr);
    HBITMAP copy = CreateBitmap(4, 1, 1, 1, nullptr);
    HGDIOBJ oldCopy = SelectObject(other, copy);
    SetBkColor(dc, RGB(1, 2, 3));
    SetTextColor(other, RGB(4, 5, 6));
    BitBlt(other, 0, 0, 4, 1, dc, 0, 0, SRCCOPY);
    EXPECT_EQ(imageOf(copy).pixels, imageOf(mono).pixels);
    SelectObject(other, oldCopy);
    SelectObject(dc, old);
    DeleteObject(copy);
    DeleteObject(mono);
    DeleteObject(light);
    DeleteObject(dark);
    DeleteDC(other);
    DeleteDC(dc);
}

} // namespace
} // namespace qev::test
