#include "toolkit/COffscreenContext.h"
#include "platform/Platform.h"
#include "tests/support/Canvas.h"

#include <gtest/gtest.h>

namespace toolkit
{
namespace
{

using qev::test::Canvas;
using qev::test::Image;
using qev::test::imageOf;
using qev::test::inkBox;
using qev::test::pixel;

TEST(COffscreenContext, StartsFilledWithTheBackgroundColour)
{
    COffscreenContext offscreen(nullptr, 30, 20, kRedCColor);
    EXPECT_EQ(offscreen.getWidth(), 30);
    EXPECT_EQ(offscreen.getHeight(), 20);
    const Image image = imageOf(offscreen.getBitmap());
    ASSERT_EQ(image.width, 30);
    for (uint32_t p : image.pixels)
        ASSERT_EQ(p, pixel(255, 0, 0));
    CRect clip;
    EXPECT_EQ(offscreen.getClipRect(clip), CRect(0, 0, 30, 20));
}

// Settings equal to the base constructor's are never selected into the memory device context,
// which therefore keeps its own: black text, the stock font, and its default pen for the border.
TEST(COffscreenContext, KeepsTheMemoryDeviceContextsDefaultsForCachedSettings)
{
    COffscreenContext offscreen(nullptr, 120, 30, kWhiteCColor);
    const Image fresh = imageOf(offscreen.getBitmap());
    EXPECT_EQ(fresh.at(0, 0), 0u); // the border, drawn with the default black pen
    EXPECT_EQ(fresh.at(5, 5), pixel(255, 255, 255));

    HDC probe = CreateCompatibleDC(nullptr);
    SIZE stock{};
    GetTextExtentPoint32A(probe, "VOLUME", 6, &stock);
    DeleteDC(probe);
    EXPECT_EQ(offscreen.getStringWidth("VOLUME"), stock.cx);

    offscreen.drawString("VOLUME", CRect(2, 2, 118, 28), 0, kLeftText);
    Image text = imageOf(offscreen.getBitmap());
    int darkPixels = 0;
    for (int y = 3; y < 27; ++y)
        for (int x = 3; x < 117; ++x)
            darkPixels += text.at(x, y) == 0;
    EXPECT_GT(darkPixels, 10); // black text although the font colour is white

    offscreen.setFontColor(kRedCColor);
    offscreen.setFillColor(kBlueCColor);
    offscreen.setFont(kNormalFont);
    offscreen.drawRect(CRect(0, 0, 120, 30), kDrawFilled);
    offscreen.drawString("VOLUME", CRect(2, 2, 118, 28), 0, kLeftText);
    text = imageOf(offscreen.getBitmap());
    int red = 0;
    for (uint32_t p : text.pixels)
        red += p == pixel(255, 0, 0);
    EXPECT_GT(red, 10);
}

TEST(COffscreenContext, CopyFromPlacesTheBlockAtTheDestinationsOffset)
{
    COffscreenContext offscreen(nullptr, 20, 20, kBlackCColor);
    offscreen.setFillColor(kGreenCColor);
    offscreen.drawRect(CRect(4, 4, 8, 8), kDrawFilled);
    Canvas canvas(40, 40);
    CDrawContext target(nullptr, canvas.dc(), nullptr);
    target.offset = CPoint(10, 20);
    offscreen.copyFrom(&target, CRect(0, 0, 6, 6), CPoint(3, 3));
    const Image image = canvas.image();
    const RECT ink = inkBox(image, pixel(255, 255, 255));
    EXPECT_EQ(ink.left, 10);
    EXPECT_EQ(ink.top, 20);
    EXPECT_EQ(ink.right, 16);
    EXPECT_EQ(ink.bottom, 26);
    EXPECT_EQ(image.at(10, 20), 0u);               // (3, 3) of the offscreen: black
    EXPECT_EQ(image.at(11, 21), pixel(0, 255, 0)); // (4, 4): green
    offscreen.copyFrom(nullptr, CRect(0, 0, 6, 6));
}

TEST(COffscreenContext, ZeroSizeMakesNoBitmapAndDrawsNothing)
{
    const long alive = qev::platform::gdiCounts().alive;
    {
        COffscreenContext offscreen(nullptr, 0, 0, kRedCColor);
        EXPECT_EQ(offscreen.getBitmap(), nullptr);
        offscreen.drawRect(CRect(0, 0, 10, 10), kDrawFilled);
        offscreen.drawString("x", CRect(0, 0, 10, 10));
    }
    EXPECT_EQ(qev::platform::gdiCounts().alive, alive);
}

TEST(COffscreenContext, ForgetFreesTheMemoryContextBitmapAndObjects)
{
    const long alive = qev::platform::gdiCounts().alive;
    auto* offscreen = new COffscreenContext(nullptr, 16, 16, kCyanCColor);
    offscreen->setFrameColor(kRedCColor);
    offscreen->setFont(kSymbolFont);
    offscreen->drawString("abc", CRect(0, 0, 16, 16));
    EXPECT_GT(qev::platform::gdiCounts().alive, alive);
    offscreen->forget();
    EXPECT_EQ(qev::platform::gdiCounts().alive, alive);
}

} // namespace
} // namespace toolkit
