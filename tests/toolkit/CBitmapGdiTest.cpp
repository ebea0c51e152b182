// CBitmap on the system's own GDI (Windows, under Wine in CI): the resources found through the
// handle of the image that carries them, a filmstrip frame drawn exactly as the file holds it,
// the transparent blit and its mask fallback giving the same picture, and the constant-alpha
// blend. The module's bitmaps are compiled into this program as they are into the DLL.

#include "platform/Platform.h"
#include "tests/support/GdiPixels.h"
#include "tests/toolkit/MadeBitmap.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/DrawingFacilities.h"

#include <gtest/gtest.h>

namespace toolkit
{
namespace
{

using qev::test::GdiCanvas;
using qev::test::GdiImage;
using qev::test::gdiImageOf;
using qev::test::gdiImageOfFile;

TEST(CBitmapGdi, ResourcesLoadThroughTheImagesOwnHandle)
{
    EXPECT_EQ(qev::platform::moduleInstance(), GetModuleHandleA(nullptr));
    CBitmap background(128);
    EXPECT_EQ(background.getWidth(), 521);
    EXPECT_EQ(background.getHeight(), 166);
    CBitmap knob(129);
    EXPECT_EQ(knob.getWidth(), 49);
    EXPECT_EQ(knob.getHeight(), 3921);
    CBitmap highBits(128 + 0x10000);
    EXPECT_EQ(highBits.getWidth(), 521);
    CBitmap missing(4242);
    EXPECT_EQ(missing.getWidth(), 0);
    EXPECT_EQ(missing.getHeight(), 0);
    EXPECT_EQ(missing.getHandle(), nullptr);
}

TEST(CBitmapGdi, FilmstripFramesAreDrawnAsTheFileHoldsThem)
{
    const GdiImage file = gdiImageOfFile(QEV_RESOURCE_DIR "/knob.bmp");
    ASSERT_EQ(file.height, 3921);
    CBitmap knob(129);
    const GdiImage strip = gdiImageOf(knob.getHandle());
    ASSERT_EQ(strip.pixels, file.pixels);
    for (int k : {0, 1, 41, 79})
    {
        GdiCanvas canvas(60, 60, 0xFFFFFF);
        CDrawContext context(nullptr, canvas.dc(), nullptr);
        context.offset = CPoint(5, 3);
        knob.draw(&context, CRect(2, 4, 51, 53), CPoint(0, 49 * k));
        const GdiImage image = canvas.image();
        for (int y = 0; y < 49; ++y)
            for (int x = 0; x < 49; ++x)
                ASSERT_EQ(image.at(7 + x, 7 + y), file.at(x, 49 * k + y)) << k;
        EXPECT_EQ(image.at(6, 6), 0xFFFFFFu);
        EXPECT_EQ(image.at(56, 56), 0xFFFFFFu);
    }
}

// Runs the body with the system's transparent blit and again with the toolkit's mask fallback.
class TransparentBlit : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        loadDrawingFacilities();
        if (!GetParam())
            drawingFacilities().transparentBlt = nullptr;
    }
    void TearDown() override
    {
        freeDrawingFacilities();
        drawingFacilities() = DrawingFacilities{};
    }
};

TEST_P(TransparentBlit, LeavesTheTargetWhereTheBitmapHasTheTransparentColour)
{
    ASSERT_NE(drawingFacilities().alphaBlend, nullptr);
    ASSERT_EQ(drawingFacilities().transparentBlt != nullptr, GetParam());
    std::vector<uint32_t> pixels(16 * 16);
    for (int i = 0; i < 256; ++i)
        pixels[i] = (i / 16 + i % 16) % 3 == 0 ? 0xFFFFFFu
                                               : (0x010203u * static_cast<uint32_t>(i)) & 0xFFFFFFu;
    MadeBitmap bitmap(16, 16, pixels);
    const uint32_t background = 0x336699;
    GdiCanvas canvas(24, 24, background);
    CDrawContext context(nullptr, canvas.dc(), nullptr);
    bitmap.drawTransparent(&context, CRect(4, 4, 16, 16), CPoint(2, 3));
    const GdiImage image = canvas.image();
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x)
        {
            const bool inside = x >= 4 && x < 16 && y >= 4 && y < 16;
            const uint32_t source = inside ? pixels[(y - 4 + 3) * 16 + (x - 4 + 2)] : 0xFFFFFFu;
            ASSERT_EQ(image.at(x, y), source == 0xFFFFFFu ? background : source) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(SystemAndFallback, TransparentBlit, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "System" : "MaskFallback"; });

TEST(CBitmapGdi, AlphaBlendMixesTheBitmapOverTheTarget)
{
    loadDrawingFacilities();
    MadeBitmap red(8, 8, std::vector<uint32_t>(64, 0xFF0000));
    GdiCanvas canvas(8, 8, 0x0000FF);
    CDrawContext context(nullptr, canvas.dc(), nullptr);
    red.drawAlphaBlend(&context, CRect(0, 0, 8, 4), CPoint(), 128);
    const GdiImage image = canvas.image();
    const uint32_t mixed = image.at(3, 2);
    EXPECT_NEAR(static_cast<int>(mixed >> 16), 128, 1);
    EXPECT_EQ(mixed >> 8 & 0xFF, 0u);
    EXPECT_NEAR(static_cast<int>(mixed & 0xFF), 127, 1);
    EXPECT_EQ(image.at(3, 5), 0x0000FFu); // below the rectangle
    freeDrawingFacilities();
    drawingFacilities() = DrawingFacilities{};
}

} // namespace
} // namespace toolkit
