// The DLL's bitmaps, as a host process finds them through the module's handle: both at their
// sizes and with the pixels of the files in resources/, and nothing under other ids.

#include "tests/support/GdiPixels.h"
#include "tests/support/LoadedModule.h"

#include <gtest/gtest.h>

namespace
{

using qev::test::GdiImage;

GdiImage moduleBitmap(HMODULE module, int id)
{
    HBITMAP bitmap = LoadBitmapA(module, MAKEINTRESOURCEA(id));
    GdiImage image = qev::test::gdiImageOf(bitmap);
    if (bitmap)
        DeleteObject(bitmap);
    return image;
}

TEST(DllResources, BitmapsAreTheFilesPixelForPixel)
{
    const qev::test::LoadedModule module(QEV_MODULE_PATH);
    ASSERT_TRUE(module.loaded()) << module.error();
    const struct
    {
        int id;
        const char* file;
        int width, height;
    } bitmaps[] = {{128, QEV_RESOURCE_DIR "/background.bmp", 521, 166},
                   {129, QEV_RESOURCE_DIR "/knob.bmp", 49, 3921}};
    for (const auto& expected : bitmaps)
    {
        const GdiImage image = moduleBitmap(module.handle, expected.id);
        EXPECT_EQ(image.width, expected.width) << expected.id;
        EXPECT_EQ(image.height, expected.height) << expected.id;
        const GdiImage file = qev::test::gdiImageOfFile(expected.file);
        ASSERT_FALSE(file.pixels.empty()) << expected.file;
        EXPECT_TRUE(image.pixels == file.pixels) << expected.id;
    }
    EXPECT_EQ(LoadBitmapA(module.handle, MAKEINTRESOURCEA(130)), nullptr);
    // The host's own image carries none of them.
    EXPECT_EQ(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128)), nullptr);
}

} // namespace
