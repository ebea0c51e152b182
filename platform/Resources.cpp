// Bitmap resources: finding an embedded BMP by id and turning it into a bitmap object.
#include "platform/Resources.h"
#include "platform/GdiObjects.h"
#include "platform/Platform.h"

#include <cstdint>

namespace qev::platform
{
namespace
{

uint32_t read32(const unsigned char* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t read16(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

} // namespace

// A BMP file of 24 or 32 bits per pixel without compression; anything else is refused.
HBITMAP bitmapFromBmp(const unsigned char* data, size_t size)
{
    const size_t kHeaders = 14 + 40;
    if (!data || size < kHeaders || data[0] != 'B' || data[1] != 'M' || read32(data + 14) < 40)
        return nullptr;
    const uint32_t pixelsAt = read32(data + 10);
    const int width = static_cast<int32_t>(read32(data + 18));
    const int rawHeight = static_cast<int32_t>(read32(data + 22));
    const int bpp = read16(data + 28);
    const uint32_t compression = read32(data + 30);
    const bool bottomUp = rawHeight > 0;
    const int height = bottomUp ? rawHeight : -rawHeight;
    if (width <= 0 || height <= 0 || width > 32768 || height > 32768 || compression != 0 ||
        (bpp != 24 && bpp != 32))
        return nullptr;
    const size_t stride = ((static_cast<size_t>(width) * bpp + 31) / 32) * 4;
    if (pixelsAt > size || (size - pixelsAt) / stride < static_cast<size_t>(height))
        return nullptr;
    HBITMAP handle = CreateBitmap(width, height, 1, 32, nullptr);
    Bitmap* bitmap = findBitmap(handle);
    const int step = bpp / 8;
    for (int y = 0; y < height; ++y)
    {
        const unsigned char* in = data + pixelsAt + stride * (bottomUp ? height - 1 - y : y);
        uint32_t* out = bitmap->row(y);
        for (int x = 0; x < width; ++x, in += step)
            out[x] = (static_cast<uint32_t>(in[2]) << 16) | (in[1] << 8) | in[0];
    }
    return handle;
}

} // namespace qev::platform

using namespace qev::platform;

HBITMAP LoadBitmapA(HINSTANCE instance, LPCSTR name)
{
    const auto id = reinterpret_cast<uintptr_t>(name);
    // Only integer ids (MAKEINTRESOURCE) name resources here, and only this module has any.
    if (!instance || instance != moduleInstance() || id == 0 || id > 0xFFFF)
        return nullptr;
    for (size_t i = 0; i < kEmbeddedBitmapCount; ++i)
        if (kEmbeddedBitmaps[i].id == static_cast<int>(id))
            return bitmapFromBmp(kEmbeddedBitmaps[i].data, kEmbeddedBitmaps[i].size);
    return nullptr;
}
