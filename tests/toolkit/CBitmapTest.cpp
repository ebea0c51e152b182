#include "toolkit/CBitmap.h"
#include "platform/Platform.h"
#include "tests/support/Canvas.h"
#include "tests/toolkit/MadeBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/DrawingFacilities.h"

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
using qev::test::sameImage;

// Runs the body once with the facilities loaded and once without, restoring them afterwards.
class WithAndWithoutEntries : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        if (GetParam())
            loadDrawingFacilities();
        else
            drawingFacilities() = DrawingFacilities{};
    }
    void TearDown() override
    {
        freeDrawingFacilities();
        drawingFacilities() = DrawingFacilities{};
    }
};

TEST(CBitmap, ResourcesLoadAtTheirSizes)
{
    CBitmap background(128);
    EXPECT_EQ(background.getWidth(), 521);
    EXPECT_EQ(background.getHeight(), 166);
    CBitmap knob(129);
    EXPECT_EQ(knob.getWidth(), 49);
    EXPECT_EQ(knob.getHeight(), 3921);
    EXPECT_EQ(knob.getTransparentColor(), kTransparentCColor);
    CBitmap highBits(128 + 0x10000); // only the low 16 bits name the resource
    EXPECT_EQ(highBits.getWidth(), 521);
}

TEST(CBitmap, FrameKOfTheStripIsDrawnFromRow49K)
{
    CBitmap knob(129);
    const Image strip = imageOf(knob.getHandle());
    for (int k : {0, 1, 41, 79})
    {
        Canvas canvas(60, 60);
        CDrawContext context(nullptr, canvas.dc(), nullptr);
        context.offset = CPoint(5, 3);
        knob.draw(&context, CRect(2, 4, 51, 53), CPoint(0, 49 * k));
        const Image image = canvas.image();
        for (int y = 0; y < 49; ++y)
            for (int x = 0; x < 49; ++x)
                ASSERT_EQ(image.at(7 + x, 7 + y), strip.at(x, 49 * k + y)) << k;
        EXPECT_EQ(image.at(6, 6), pixel(255, 255, 255));
    }
}

TEST(CBitmap, MissingResourceIsEmptyAndDrawsNothingAnyWay)
{
    loadDrawingFacilities();
    CBitmap missing(4242);
    EXPECT_EQ(missing.getWidth(), 0);
    EXPECT_EQ(missing.getHeight(), 0);
    EXPECT_EQ(missing.getHandle(), nullptr);
    Canvas canvas(20, 20);
    CDrawContext context(nullptr, canvas.dc(), nullptr);
    missing.draw(&context, CRect(0, 0, 20, 20));
    missing.drawTransparent(&context, CRect(0, 0, 20, 20));
    missing.drawAlphaBlend(&context, CRect(0, 0, 20, 20), CPoint(), 255);
    EXPECT_EQ(inkBox(canvas.image(), pixel(255, 255, 255)).right, 0);
    freeDrawingFacilities();
    drawingFacilities() = DrawingFacilities{};
}

TEST(CBitmap, LoadFromFileIsUnsupportedAndDisposes)
{
    CBitmap bitmap(128);
    EXPECT_FALSE(bitmap.loadFromFile("/tmp/anything.bmp"));
    EXPECT_EQ(bitmap.getWidth(), 0);
    EXPECT_EQ(bitmap.getHandle(), nullptr);
    EXPECT_TRUE(bitmap.loadFromResource(129));
    EXPECT_EQ(bitmap.getHeight(), 3921);
    EXPECT_FALSE(bitmap.loadFromResource(4242));
    EXPECT_EQ(bitmap.getHeight(), 0);
}

TEST(CBitmap, TheLastForgetFreesTheBitmap)
{
    const long alive = qev::platform::gdiCounts().alive;
    auto* bitmap = new CBitmap(129);
    EXPECT_EQ(qev::platform::gdiCounts().alive, alive + 1);
    bitmap->remember();
    bitmap->forget();
    EXPECT_EQ(qev::platform::gdiCounts().alive, alive + 1);
    bitmap->forget();
    EXPECT_EQ(qev::platform::gdiCounts().alive, alive);
}

// A 4 x 2 picture: white, red, white, blue / green, white, near-white, black.
const std::vector<uint32_t> kPicture = {0xFFFFFF, 0xFF0000, 0xFFFFFF, 0x0000FF,
                                        0x00FF00, 0xFFFFFF, 0xFEFFFF, 0x000000};

Image drawnTransparent(const CColor& key)
{
    MadeBitmap bitmap(4, 2, kPicture);
    bitmap.setTransparentColor(key);
    Canvas canvas(8, 6, RGB(40, 50, 60));
    for (int x = 0; x < 8; ++x)
        SetPixel(canvas.dc(), x, 2, RGB(x * 30, 0, 200)); // a pattern the holes must show
    CDrawContext context(nullptr, canvas.dc(), nullptr);
    context.offset = CPoint(1, 1);
    bitmap.drawTransparent(&context, CRect(1, 1, 5, 3));
    return canvas.image();
}

TEST_P(WithAndWithoutEntries, WhiteKeyedBitmapLetsTheTargetShowThrough)
{
    EXPECT_EQ(drawingFacilities().transparentBlt != nullptr, GetParam());
    const Image image = drawnTransparent(kTransparentCColor);
    const uint32_t under = pixel(40, 50, 60);
    EXPECT_EQ(image.at(2, 2), pixel(60, 0, 200)); // white: the pattern shows
    EXPECT_EQ(image.at(3, 2), pixel(255, 0, 0));
    EXPECT_EQ(image.at(4, 2), pixel(120, 0, 200));
    EXPECT_EQ(image.at(5, 2), pixel(0, 0, 255));
    EXPECT_EQ(image.at(2, 3), pixel(0, 255, 0));
    EXPECT_EQ(image.at(3, 3), under);
    EXPECT_EQ(image.at(4, 3), pixel(254, 255, 255)); // near-white is not the key
    EXPECT_EQ(image.at(5, 3), 0u);
    EXPECT_EQ(image.at(1, 2), pixel(30, 0, 200)); // outside the rectangle
    EXPECT_EQ(image.at(6, 3), under);
}

Image knobOverPanel(bool withEntry)
{
    if (withEntry)
        loadDrawingFacilities();
    else
        drawingFacilities() = DrawingFacilities{};
    CBitmap background(128);
    CBitmap knob(129);
    knob.setTransparentColor(kBlackCColor);
    Canvas canvas(521, 166);
    CDrawContext context(nullptr, canvas.dc(), nullptr);
    background.draw(&context, CRect(0, 0, 521, 166));
    knob.drawTransparent(&context, CRect(27, 26, 76, 75), CPoint(0, 49 * 40));
    freeDrawingFacilities();
    drawingFacilities() = DrawingFacilities{};
    return canvas.image();
}

TEST(CBitmap, BlackKeyedKnobShowsThePanelAroundItTheSameByBothWays)
{
    const Image panel = imageOf(CBitmap(128).getHandle());
    const Image withEntry = knobOverPanel(true);
    const Image withMask = knobOverPanel(false);
    EXPECT_EQ(withEntry.at(27, 26), panel.at(27, 26)); // the corner shows the panel
    EXPECT_NE(withEntry.at(51, 50), panel.at(51, 50)); // the knob covers its place
    EXPECT_TRUE(sameImage(withMask, withEntry, "knob_both_ways"));
}

INSTANTIATE_TEST_SUITE_P(BothWays, WithAndWithoutEntries, ::testing::Values(true, false));

TEST(CBitmap, BothWaysOfDrawingTransparentGiveTheSamePicture)
{
    loadDrawingFacilities();
    ASSERT_NE(drawingFacilities().transparentBlt, nullptr);
    const Image withEntry = drawnTransparent(CColor{0, 0, 255, 255});
    drawingFacilities() = DrawingFacilities{};
    const Image withMask = drawnTransparent(CColor{0, 0, 255, 255});
    EXPECT_TRUE(sameImage(withMask, withEntry, "transparent_both_ways"));
    EXPECT_EQ(withEntry.at(5, 2), pixel(150, 0, 200)); // blue keyed away
    freeDrawingFacilities();
}

TEST(CBitmap, AlphaBlendUsesTheConstantAlphaOrDrawsNothingWithoutTheEntry)
{
    MadeBitmap bitmap(2, 1, {0xC80000, 0x0000FF});
    Canvas canvas(4, 1, RGB(100, 0, 0));
    CDrawContext context(nullptr, canvas.dc(), nullptr);
    drawingFacilities() = DrawingFacilities{};
    bitmap.drawAlphaBlend(&context, CRect(0, 0, 2, 1), CPoint(), 200);
    EXPECT_EQ(canvas.at(0, 0), pixel(100, 0, 0));
    loadDrawingFacilities();
    bitmap.drawAlphaBlend(&context, CRect(1, 0, 3, 1), CPoint(0, 0), 128);
    EXPECT_EQ(canvas.at(0, 0), pixel(100, 0, 0));
    EXPECT_EQ(canvas.at(1, 0), pixel(150, 0, 0));
    EXPECT_EQ(canvas.at(2, 0), pixel(50, 0, 128));
    freeDrawingFacilities();
    drawingFacilities() = DrawingFacilities{};
}

TEST(DrawingFacilities, LoadLooksUpBothEntriesOnAnNTSystem)
{
    loadDrawingFacilities();
    const DrawingFacilities& f = drawingFacilities();
    EXPECT_NE(f.library, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(f.alphaBlend), reinterpret_cast<void*>(&AlphaBlend));
    EXPECT_EQ(reinterpret_cast<void*>(f.transparentBlt), reinterpret_cast<void*>(&TransparentBlt));
    EXPECT_EQ(f.version.dwOSVersionInfoSize, 156u);
    EXPECT_EQ(f.version.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_FALSE(isWindows98(f.version));
    freeDrawingFacilities();
    EXPECT_EQ(drawingFacilities().library, nullptr);
    drawingFacilities() = DrawingFacilities{};
    OSVERSIONINFOEXA ninetyEight{};
    ninetyEight.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    ninetyEight.dwMajorVersion = 4;
    ninetyEight.dwMinorVersion = 10;
    EXPECT_TRUE(isWindows98(ninetyEight));
}

} // namespace
} // namespace toolkit
