// A CBitmap with pixels made by a test (0x00RRGGBB, rows top to bottom), as if loaded from a
// resource. The same on the Linux layer and on the system's GDI.
#pragma once

#include "toolkit/CBitmap.h"

#include <cstdint>
#include <vector>

namespace toolkit
{

class MadeBitmap : public CBitmap
{
public:
    MadeBitmap(int w, int h, const std::vector<uint32_t>& pixels) : CBitmap(0)
    {
        handle = CreateBitmap(w, h, 1, 32, pixels.data());
        width = w;
        height = h;
    }
};

} // namespace toolkit
