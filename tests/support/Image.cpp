#include "tests/support/Image.h"

#include "platform/Platform.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace qev::test
{

Image imageOf(HBITMAP bitmap)
{
    const platform::PixelView view = platform::bitmapPixels(bitmap);
    Image image;
    if (!view.pixels)
        return image;
    image.width = view.width;
    image.height = view.height;
    image.pixels.assign(view.pixels, view.pixels + static_cast<size_t>(view.width) * view.height);
    for (uint32_t& p : image.pixels)
        p &= 0xFFFFFFu;
    return image;
}

bool writePng(const std::string& path, const Image& image)
{
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file || image.width <= 0 || image.height <= 0)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info)
    {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    std::vector<png_byte> row(static_cast<size_t>(image.width) * 3);
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y)
    {
        for (int x = 0; x < image.width; ++x)
        {
            const uint32_t p = image.at(x, y);
            row[x * 3] = static_cast<png_byte>(p >> 16);
            row[x * 3 + 1] = static_cast<png_byte>(p >> 8);
            row[x * 3 + 2] = static_cast<png_byte>(p);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

std::string failureDirectory()
{
    const std::filesystem::path dir = std::filesystem::current_path() / "failures";
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    return dir.string();
}

::testing::AssertionResult sameImage(const Image& actual, const Image& expected,
                                     const std::string& name)
{
    if (actual == expected)
        return ::testing::AssertionSuccess();
    const std::string base = failureDirectory() + "/" + name;
    writePng(base + ".actual.png", actual);
    writePng(base + ".expected.png", expected);
    auto failure = ::testing::AssertionFailure();
    if (actual.width != expected.width || actual.height != expected.height)
        return failure << "size " << actual.width << "x" << actual.height << ", expected "
                       << expected.width << "x" << expected.height << "; see " << base << ".*.png";
    for (int y = 0; y < actual.height; ++y)
        for (int x = 0; x < actual.width; ++x)
            if (actual.at(x, y) != expected.at(x, y))
                return failure << "first difference at (" << x << ", " << y << "): " << std::hex
                               << actual.at(x, y) << " instead of " << expected.at(x, y) << "; see "
                               << base << ".*.png";
    return failure;
}

RECT inkBox(const Image& image, uint32_t background)
{
    RECT box{image.width, image.height, 0, 0};
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (image.at(x, y) != background)
            {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    if (box.right <= box.left)
        box = RECT{0, 0, 0, 0};
    return box;
}

} // namespace qev::test
