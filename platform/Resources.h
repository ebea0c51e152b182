// The bitmaps embedded in the module at build time. Internal to platform/ and resources/.
#pragma once

#include "platform/Win32.h"

#include <cstddef>

#pragma GCC visibility push(hidden)

namespace qev::platform
{

// One bitmap resource: the bytes of a Windows BMP file (24 or 32 bits per pixel, uncompressed).
struct EmbeddedBitmap
{
    int id;
    const unsigned char* data;
    size_t size;
};

// A bitmap from the bytes of a BMP file; null for anything malformed or unsupported.
HBITMAP bitmapFromBmp(const unsigned char* data, size_t size);

// Defined by the generated source of the resources library.
extern const EmbeddedBitmap kEmbeddedBitmaps[];
extern const size_t kEmbeddedBitmapCount;

} // namespace qev::platform

#pragma GCC visibility pop
