#pragma once

#include "platform/Win32.h"
#include "toolkit/CColor.h"
#include "toolkit/CPoint.h"
#include "toolkit/CRect.h"
#include "toolkit/CReferenceCounter.h"

#include <cstdint>

namespace toolkit
{

class CDrawContext;

// A bitmap from the module's resources. In every drawing operation `rect` is the destination in
// the context's coordinates and the size of the copied area; `offset` is the top left of the
// source area (a filmstrip frame is picked by its offset).
class CBitmap : public CReferenceCounter
{
public:
    // A missing resource leaves an empty bitmap: 0 x 0, drawing nothing.
    explicit CBitmap(int32_t resourceId);
    ~CBitmap() override;

    virtual void draw(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
    // Pixels of the transparent colour leave the target as it was. Without a bitmap: nothing.
    virtual void drawTransparent(CDrawContext* context, const CRect& rect,
                                 const CPoint& offset = CPoint());
    // Source-over with a constant alpha, 0 transparent to 255 opaque. Without the alpha-blend
    // entry point: nothing.
    virtual void drawAlphaBlend(CDrawContext* context, const CRect& rect,
                                const CPoint& offset = CPoint(), uint8_t alpha = 128);
    virtual void dispose();
    // Uses the low 16 bits of the id.
    virtual bool loadFromResource(int32_t resourceId);
    // Not supported: disposes and answers false.
    virtual bool loadFromFile(const char* path);

    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    HBITMAP getHandle() const { return handle; }
    void setTransparentColor(const CColor& color) { transparentColor = color; }
    CColor getTransparentColor() const { return transparentColor; }

protected:
    int32_t width = 0;
    int32_t height = 0;
    CColor transparentColor{255, 255, 255, 0};
    HBITMAP handle = nullptr;

private:
    void maskedBlit(HDC target, HDC source, int dx, int dy, int w, int h, int sx, int sy) const;
};

} // namespace toolkit
