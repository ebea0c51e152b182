// A memory DC with a colour bitmap of its own, filled with one colour: the target of most tests.
#pragma once

#include "tests/support/Image.h"

namespace qev::test
{

class Canvas
{
public:
    Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255));
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    Image image() const { return imageOf(bitmap_); }
    uint32_t at(int x, int y) const { return image().at(x, y); }
    void fill(COLORREF colour);

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
};

inline uint32_t pixel(int r, int g, int b)
{
    return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
           static_cast<uint32_t>(b);
}

} // namespace qev::test
