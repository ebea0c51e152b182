#include "platform/Platform.h"
#include "tests/support/Image.h"

#include <gtest/gtest.h>

#include <cmath>

namespace qev::test
{
namespace
{

HBITMAP load(int id)
{
    return LoadBitmapA(platform::moduleInstance(), MAKEINTRESOURCEA(id));
}

struct Size
{
    int id;
    int width;
    int height;
};

class BitmapResources : public ::testing::TestWithParam<Size>
{
};

TEST_P(BitmapResources, LoadAtTheirSizesAsColourBitmaps)
{
    HBITMAP bitmap = load(GetParam().id);
    ASSERT_NE(bitmap, nullptr);
    BITMAP bm{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmWidth, GetParam().width);
    EXPECT_EQ(bm.bmHeight, GetParam().height);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_TRUE(DeleteObject(bitmap));
}

INSTANTIATE_TEST_SUITE_P(BackgroundAndKnob, BitmapResources,
                         ::testing::Values(Size{128, 521, 166}, Size{129, 49, 3921}));

TEST(Resources, MissingIdsAndForeignModulesAnswerNull)
{
    EXPECT_EQ(load(0), nullptr);
    EXPECT_EQ(load(130), nullptr);
    EXPECT_EQ(load(127), nullptr);
    EXPECT_EQ(LoadBitmapA(nullptr, MAKEINTRESOURCEA(128)), nullptr);
    char other;
    EXPECT_EQ(LoadBitmapA(reinterpret_cast<HINSTANCE>(&other), MAKEINTRESOURCEA(128)), nullptr);
    EXPECT_EQ(LoadBitmapA(platform::moduleInstance(), "background"), nullptr); // names: none
}

TEST(Resources, TheRecordedModuleHandleIsTheOneThatLoads)
{
    const HINSTANCE original = platform::moduleInstance();
    char hooked;
    platform::setModuleInstance(reinterpret_cast<HINSTANCE>(&hooked));
    HBITMAP viaHook = LoadBitmapA(reinterpret_cast<HINSTANCE>(&hooked), MAKEINTRESOURCEA(128));
    EXPECT_NE(viaHook, nullptr);
    EXPECT_EQ(LoadBitmapA(original, MAKEINTRESOURCEA(128)), nullptr);
    platform::setModuleInstance(original);
    DeleteObject(viaHook);
}

// The pointer of frame k points at 225 - 270 * k / 79 degrees; the corners of every frame are the
// transparent black, and so is the spare row.
TEST(Resources, KnobFrameKStartsAtRow49KAndSweepsFromLowerLeftToLowerRight)
{
    HBITMAP strip = load(129);
    const Image image = imageOf(strip);
    ASSERT_EQ(image.height, 3921);
    auto brightness = [](uint32_t p)
    { return ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF); };
    for (int k : {0, 20, 39, 40, 60, 79})
    {
        const int top = 49 * k;
        for (POINT corner : {POINT{0, 0}, POINT{48, 0}, POINT{0, 48}, POINT{48, 48}})
            EXPECT_EQ(image.at(corner.x, top + corner.y), 0u) << k;
        const double a = (225.0 - 270.0 * k / 79.0) * 3.14159265358979 / 180.0;
        const int px = static_cast<int>(std::floor(24.5 + std::cos(a) * 10));
        const int py = static_cast<int>(std::floor(24.5 - std::sin(a) * 10));
        EXPECT_GT(brightness(image.at(px, top + py)), 600u) << "pointer of frame " << k;
        // Opposite the pointer the cap is dark.
        const int ox = static_cast<int>(std::floor(24.5 - std::cos(a) * 10));
        const int oy = static_cast<int>(std::floor(24.5 + std::sin(a) * 10));
        EXPECT_LT(brightness(image.at(ox, top + oy)), 400u) << k;
    }
    for (int x = 0; x < 49; ++x)
        EXPECT_EQ(image.at(x, 3920), 0u);
    DeleteObject(strip);
}

TEST(Resources, BackgroundIsAnOpaquePanelWithTheMenuPlacesInDarkBlue)
{
    HBITMAP background = load(128);
    const Image image = imageOf(background);
    for (POINT p : {POINT{30, 110}, POINT{126, 110}, POINT{170, 120}})
        EXPECT_EQ(image.at(p.x, p.y), 0x121F7Au); // 18, 31, 122
    int black = 0;
    for (uint32_t p : image.pixels)
        black += p == 0;
    EXPECT_EQ(black, 0);
    DeleteObject(background);
}

} // namespace
} // namespace qev::test
