// Pixels read back from the system's GDI, for the tests that run on Windows (under Wine in CI).
#pragma once

#if !defined(_WIN32)
#error "GdiPixels.h reads pixels through the Windows GDI"
#endif

#include <windows.h>

#include <cstdint>
#include <vector>

namespace qev::test
{

// A bitmap's pixels, rows top to bottom, 0x00RRGGBB; empty for a handle that is not a bitmap.
struct GdiImage
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

inline BITMAPINFO topDown32(int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

inline GdiImage gdiImageOf(HBITMAP bitmap)
{
    GdiImage image;
    BITMAP description{};
    if (!bitmap || GetObjectA(bitmap, sizeof description, &description) != sizeof description)
        return image;
    image.width = description.bmWidth;
    image.height = description.bmHeight;
    image.pixels.resize(static_cast<size_t>(image.width) * image.height);
    BITMAPINFO info = topDown32(image.width, image.height);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(image.height),
                               image.pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != image.height)
        return GdiImage{};
    for (uint32_t& p : image.pixels)
        p &= 0x00FFFFFFu;
    return image;
}

// A memory DC on a 32-bit bitmap of its own, filled with one colour (0x00RRGGBB).
class GdiCanvas
{
public:
    GdiCanvas(int width, int height, uint32_t fill)
        : memory(CreateCompatibleDC(nullptr)), width(width), height(height)
    {
        BITMAPINFO info = topDown32(width, height);
        bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        previous = SelectObject(memory, bitmap);
        HBRUSH brush = CreateSolidBrush(RGB(fill >> 16 & 0xFF, fill >> 8 & 0xFF, fill & 0xFF));
        const RECT all{0, 0, width, height};
        FillRect(memory, &all, brush);
        DeleteObject(brush);
    }
    ~GdiCanvas()
    {
        SelectObject(memory, previous);
        DeleteObject(bitmap);
        DeleteDC(memory);
    }
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    HDC dc() const { return memory; }
    // Read from the section's memory: a bitmap selected into a DC is out of GetDIBits' reach.
    GdiImage image() const
    {
        GdiFlush();
        GdiImage image;
        if (!bits)
            return image;
        image.width = width;
        image.height = height;
        const auto* first = static_cast<const uint32_t*>(bits);
        image.pixels.assign(first, first + static_cast<size_t>(width) * height);
        for (uint32_t& p : image.pixels)
            p &= 0x00FFFFFFu;
        return image;
    }

private:
    HDC memory;
    int width, height;
    HBITMAP bitmap = nullptr;
    void* bits = nullptr;
    HGDIOBJ previous = nullptr;
};

// A BMP file decoded by the system, independently of the resource compiler and the loader.
inline GdiImage gdiImageOfFile(const char* path)
{
    HANDLE loaded = LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    GdiImage image = gdiImageOf(static_cast<HBITMAP>(loaded));
    if (loaded)
        DeleteObject(loaded);
    return image;
}

} // namespace qev::test
