#pragma once

#include "toolkit/CDrawContext.h"

namespace toolkit
{

// A drawing context on a memory bitmap, for double buffering. The setters called while the base
// is constructed run without a device context: they create and cache pen, brush and font but
// select nothing, so until a different value is set the memory device context keeps its own
// defaults (black text, white background colour, opaque background, the stock font).
class COffscreenContext : public CDrawContext
{
public:
    COffscreenContext(CFrame* frame, int32_t width, int32_t height,
                      const CColor& backgroundColor = kBlackCColor);
    ~COffscreenContext() override;

    // Copies rect's size from `sourceOffset` in this bitmap to rect in `destination`.
    void copyFrom(CDrawContext* destination, const CRect& rect,
                  const CPoint& sourceOffset = CPoint());

    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    HBITMAP getBitmap() const { return reinterpret_cast<HBITMAP>(window); }

protected:
    int32_t height;
    int32_t width;
    bool destroyPixmap = true;
    CColor backgroundColor;
};

} // namespace toolkit
