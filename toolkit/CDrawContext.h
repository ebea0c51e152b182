#pragma once

#include "platform/Win32.h"
#include "toolkit/CColor.h"
#include "toolkit/CPoint.h"
#include "toolkit/CRect.h"
#include "toolkit/CReferenceCounter.h"
#include "toolkit/DrawingTypes.h"

#include <cstdint>

namespace toolkit
{

class CFrame;

// One device context together with the toolkit's drawing state: colours, pen, font, clip and a
// coordinate offset added to everything drawn. Setters touch the device context only when the
// value really changes, so a fresh context starts from sentinel values that every first setter
// call differs from.
class CDrawContext : public CReferenceCounter
{
public:
    // Any argument may be null. Given a window but no device context, the context fetches the
    // window's device context itself and releases it on destruction.
    CDrawContext(CFrame* frame, HDC systemContext, HWND window);
    ~CDrawContext() override;

    HDC getSystemContext() const { return systemContext; }
    HWND getWindow() const { return window; }
    CFrame* getFrame() const { return frame; }

    void moveTo(const CPoint& point);
    // The end point itself is not drawn.
    void lineTo(const CPoint& point);
    // The outline lies inside the rectangle: through (left, top) and (right - 1, bottom - 1).
    void drawRect(const CRect& rect, int32_t drawStyle = kDrawStroked);
    // Leaves the top row and the left column of the rectangle untouched.
    void fillRect(const CRect& rect);
    // The ellipse of (left + 1, top + 1, right + 1, bottom + 1), filled, without outline.
    void fillEllipse(const CRect& rect);

    void setLineStyle(int32_t style);
    int32_t getLineStyle() const { return lineStyle; }
    void setLineWidth(int32_t width);
    int32_t getLineWidth() const { return lineWidth; }
    // kOrMode merges with the destination; kXorMode inverts where pen and destination differ
    // (NOT XOR); anything else copies.
    void setDrawMode(int32_t mode);
    int32_t getDrawMode() const { return drawMode; }

    // The rectangle is in toolkit coordinates; the device context is clipped to it plus the
    // offset, replacing any earlier clip.
    void setClipRect(const CRect& clip);
    CRect& getClipRect(CRect& clip) const;

    void setFillColor(const CColor& color);
    CColor getFillColor() const { return fillColor; }
    void setFrameColor(const CColor& color);
    CColor getFrameColor() const { return frameColor; }
    void setFontColor(const CColor& color);
    CColor getFontColor() const { return fontColor; }

    // An id outside the standard fonts means kSystemFont; a size of 0 the font's own size.
    void setFont(int32_t fontId, int32_t size = 0, int32_t style = 0);
    int32_t getFont() const { return fontId; }
    int32_t getFontSize() const { return fontSize; }
    int32_t getFontStyle() const { return fontStyle; }

    int32_t getStringWidth(const char* string);
    // One line, vertically centred. Left alignment starts one pixel inside the rectangle. An
    // opaque string is backed with the fill colour. A null string draws nothing.
    void drawString(const char* string, const CRect& rect, int16_t opaque = 0,
                    int32_t hAlign = kCenterText);

    long getMouseButtons();
    void getMouseLocation(CPoint& point);

    // Screen position of the drawing origin; containers shift it while routing to children.
    CPoint offsetScreen;
    // Added to every coordinate a drawing operation receives.
    CPoint offset;

protected:
    CPoint device(const CPoint& p) const { return CPoint(p.h + offset.h, p.v + offset.v); }
    CRect device(const CRect& r) const { return CRect(r).offset(offset.h, offset.v); }

    HDC systemContext = nullptr;
    HWND window = nullptr; // an offscreen context keeps its memory bitmap here
    CFrame* frame = nullptr;

    int32_t fontSize = -1;
    int32_t fontStyle = 0;
    int32_t fontId = kNumStandardFonts;
    int32_t lineWidth = 0;
    CColor frameColor;
    CColor fillColor;
    CColor fontColor;
    int32_t lineStyle = kLineOnOffDash;
    int32_t drawMode = 3;
    CRect clipRect;

    HBRUSH brush = nullptr;
    HPEN pen = nullptr;
    HFONT font = nullptr;
    HGDIOBJ oldBrush = nullptr;
    HGDIOBJ oldPen = nullptr;
    HGDIOBJ oldFont = nullptr;
    int32_t penStyle = PS_SOLID;
    HDC ownedDC = nullptr;

private:
    void replacePen();
};

} // namespace toolkit
