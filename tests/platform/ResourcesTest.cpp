#include "platform/Resources.h"
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
void PrintTo(const Size& s, std::ostream* os)
{
    *os << "id " << s.id;
}

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

// A BMP file of the given depth whose pixel (x, y) is 0x00RRGGBB = x * 0x10 + y * 0x1000.
std::vector<unsigned char> bmpFile(int w, int h, int bpp, bool topDown, uint32_t compression = 0)
{
    const size_t stride = ((static_cast<size_t>(w) * bpp + 31) / 32) * 4;
    std::vector<unsigned char> f(54 + stride * h, 0);
    auto put32 = [&](size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            f[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, static_cast<uint32_t>(f.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(w));
    put32(22, static_cast<uint32_t>(topDown ? -h : h));
    f[26] = 1;
    f[28] = static_cast<unsigned char>(bpp);
    put32(30, compression);
    for (int y = 0; y < h; ++y)
    {
        unsigned char* row = f.data() + 54 + stride * (topDown ? y : h - 1 - y);
        for (int x = 0; x < w; ++x)
        {
            const uint32_t p = x * 0x10 + y * 0x1000;
            unsigned char* px = row + x * (bpp / 8);
            px[0] = static_cast<unsigned char>(p);
            px[1] = static_cast<unsigned char>(p >> 8);
            px[2] = static_cast<unsigned char>(p >> 16);
        }
    }
    return f;
}

struct BmpCase
{
    int bpp;
    bool topDown;
};
void PrintTo(const BmpCase& c, std::ostream* os)
{
    *os << c.bpp << " bits " << (c.topDown ? "top-down" : "bottom-up");
}

class BmpDecoding : public ::testing::TestWithParam<BmpCase>
{
};

TEST_P(BmpDecoding, RowsComeOutTopFirstWithoutPadding)
{
    const auto file = bmpFile(3, 2, GetParam().bpp, GetParam().topDown);
    HBITMAP bitmap = platform::bitmapFromBmp(file.data(), file.size());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(imageOf(bitmap).pixels,
              (std::vector<uint32_t>{0x0000, 0x0010, 0x0020, 0x1000, 0x1010, 0x1020}));
    DeleteObject(bitmap);
}

INSTANTIATE_TEST_SUITE_P(Layouts, BmpDecoding,
                         ::testing::Values(BmpCase{24, false}, BmpCase{24, true},
                                           BmpCase{32, false}, BmpCase{32, true}));

TEST(BmpDecoding, MalformedOrUnsupportedFilesGiveNull)
{
    const auto good = bmpFile(3, 2, 24, false);
    EXPECT_EQ(platform::bitmapFromBmp(nullptr, 100), nullptr);
    EXPECT_EQ(platform::bitmapFromBmp(good.data(), 20), nullptr);              // no headers
    EXPECT_EQ(platform::bitmapFromBmp(good.data(), good.size() - 1), nullptr); // truncated rows
    auto wrongMagic = good;
    wrongMagic[0] = 'X';
    EXPECT_EQ(platform::bitmapFromBmp(wrongMagic.data(), wrongMagic.size()), nullptr);
    const auto compressed = bmpFile(3, 2, 24, false, 1);
    EXPECT_EQ(platform::bitmapFromBmp(compressed.data(), compressed.size()), nullptr);
    auto paletted = good;
    paletted[28] = 8;
    EXPECT_EQ(platform::bitmapFromBmp(paletted.data(), paletted.size()), nullptr);
    auto zeroWidth = good;
    zeroWidth[18] = 0;
    EXPECT_EQ(platform::bitmapFromBmp(zeroWidth.data(), zeroWidth.size()), nullptr);
    auto farPixels = good;
    farPixels[10] = 0xFF;
    farPixels[11] = 0xFF;
    EXPECT_EQ(platform::bitmapFromBmp(farPixels.data(), farPixels.size()), nullptr);
}

} // namespace
} // namespace qev::test
