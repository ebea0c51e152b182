#include "tests/support/Canvas.h"

namespace qev::test
{

Canvas::Canvas(int width, int height, COLORREF fill)
{
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    previous_ = SelectObject(dc_, bitmap_);
    this->fill(fill);
}

Canvas::~Canvas()
{
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

void Canvas::fill(COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    RECT all{0, 0, 1 << 20, 1 << 20};
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
}

} // namespace qev::test
