#include "toolkit/CDrawContext.h"

#include "toolkit/Buttons.h"
#include "toolkit/CFrame.h"
#include "toolkit/DrawingFacilities.h"

#include <cstring>

namespace toolkit
{
namespace
{

COLORREF rgbOf(const CColor& c)
{
    return RGB(c.red, c.green, c.blue);
}

bool pressed(int key)
{
    return (GetAsyncKeyState(key) & 0x8000) != 0;
}

} // namespace

CDrawContext::CDrawContext(CFrame* frame, HDC systemContext, HWND window)
    : systemContext(systemContext), window(window), frame(frame)
{
    if (frame)
        frame->getViewSize(clipRect);
    else
        clipRect = CRect(0, 0, 1000, 1000);
    if (!systemContext && window)
    {
        ownedDC = GetDC(window);
        this->systemContext = ownedDC;
    }
    if (this->systemContext)
    {
        oldBrush = GetCurrentObject(this->systemContext, OBJ_BRUSH);
        oldPen = GetCurrentObject(this->systemContext, OBJ_PEN);
        oldFont = GetCurrentObject(this->systemContext, OBJ_FONT);
        SetBkMode(this->systemContext, TRANSPARENT);
    }
    penStyle = PS_SOLID;
    RECT screen{};
    if (window && GetWindowRect(window, &screen))
        offsetScreen = CPoint(screen.left, screen.top);

    setFrameColor(kWhiteCColor);
    setLineStyle(kLineSolid);
    setLineWidth(1);
    setFillColor(kBlackCColor);
    setFontColor(kWhiteCColor);
    setFont(kSystemFont, 0, 0);
    setDrawMode(kCopyMode);
}

CDrawContext::~CDrawContext()
{
    if (systemContext)
    {
        if (oldBrush)
            SelectObject(systemContext, oldBrush);
        if (oldPen)
            SelectObject(systemContext, oldPen);
        if (oldFont)
            SelectObject(systemContext, oldFont);
    }
    if (brush)
        DeleteObject(brush);
    if (pen)
        DeleteObject(pen);
    if (font)
        DeleteObject(font);
    if (ownedDC)
        ReleaseDC(window, ownedDC);
}

void CDrawContext::moveTo(const CPoint& point)
{
    const CPoint p = device(point);
    MoveToEx(systemContext, p.h, p.v, nullptr);
}

void CDrawContext::lineTo(const CPoint& point)
{
    const CPoint p = device(point);
    LineTo(systemContext, p.h, p.v);
}

void CDrawContext::drawRect(const CRect& rect, int32_t drawStyle)
{
    const CRect r = device(rect);
    if (drawStyle == kDrawFilled || drawStyle == kDrawFilledAndStroked)
    {
        const RECT fill{r.left, r.top, r.right, r.bottom};
        FillRect(systemContext, &fill, brush);
    }
    if (drawStyle == kDrawStroked || drawStyle == kDrawFilledAndStroked)
    {
        MoveToEx(systemContext, r.left, r.top, nullptr);
        LineTo(systemContext, r.right - 1, r.top);
        LineTo(systemContext, r.right - 1, r.bottom - 1);
        LineTo(systemContext, r.left, r.bottom - 1);
        LineTo(systemContext, r.left, r.top);
    }
}

void CDrawContext::fillRect(const CRect& rect)
{
    const CRect r = device(rect);
    const RECT fill{r.left + 1, r.top + 1, r.right, r.bottom};
    FillRect(systemContext, &fill, brush);
}

void CDrawContext::fillEllipse(const CRect& rect)
{
    const CRect r = device(rect);
    // Named explicitly: an offscreen context may never have selected its brush.
    HGDIOBJ previousBrush = SelectObject(systemContext, brush);
    HGDIOBJ previousPen = SelectObject(systemContext, GetStockObject(NULL_PEN));
    Ellipse(systemContext, r.left + 1, r.top + 1, r.right + 1, r.bottom + 1);
    if (previousPen)
        SelectObject(systemContext, previousPen);
    if (previousBrush)
        SelectObject(systemContext, previousBrush);
}

void CDrawContext::setLineStyle(int32_t style)
{
    if (style == lineStyle)
        return;
    lineStyle = style;
    penStyle = style == kLineOnOffDash ? PS_DOT : PS_SOLID;
    replacePen();
}

void CDrawContext::setLineWidth(int32_t width)
{
    if (width == lineWidth)
        return;
    lineWidth = width;
    replacePen();
}

void CDrawContext::setFrameColor(const CColor& color)
{
    if (color == frameColor)
        return;
    frameColor = color;
    replacePen();
}

void CDrawContext::replacePen()
{
    const LOGPEN description{static_cast<UINT>(penStyle), POINT{lineWidth, 0}, rgbOf(frameColor)};
    HPEN created = CreatePenIndirect(&description);
    if (systemContext)
        SelectObject(systemContext, created);
    if (pen)
        DeleteObject(pen);
    pen = created;
}

void CDrawContext::setDrawMode(int32_t mode)
{
    if (mode == drawMode)
        return;
    drawMode = mode;
    const int rop = mode == kOrMode ? R2_MERGEPEN : mode == kXorMode ? R2_NOTXORPEN : R2_COPYPEN;
    if (systemContext)
        SetROP2(systemContext, rop);
}

void CDrawContext::setClipRect(const CRect& clip)
{
    const CRect r = device(clip);
    if (r == clipRect)
        return;
    clipRect = r;
    if (!systemContext)
        return;
    HRGN region = CreateRectRgn(r.left, r.top, r.right, r.bottom);
    SelectClipRgn(systemContext, region);
    DeleteObject(region);
}

CRect& CDrawContext::getClipRect(CRect& clip) const
{
    clip = clipRect;
    clip.offset(-offset.h, -offset.v);
    return clip;
}

void CDrawContext::setFillColor(const CColor& color)
{
    if (color == fillColor)
        return;
    fillColor = color;
    if (systemContext)
        SetBkColor(systemContext, rgbOf(color));
    const LOGBRUSH description{BS_SOLID, rgbOf(color), 0};
    HBRUSH created = CreateBrushIndirect(&description);
    if (!created)
        return; // the previous brush stays in use
    if (systemContext)
        SelectObject(systemContext, created);
    if (brush)
        DeleteObject(brush);
    brush = created;
}

void CDrawContext::setFontColor(const CColor& color)
{
    if (color == fontColor)
        return;
    fontColor = color;
    if (systemContext)
        SetTextColor(systemContext, rgbOf(color));
}

void CDrawContext::setFont(int32_t id, int32_t size, int32_t style)
{
    if (id < 0 || id >= kNumStandardFonts)
        id = kSystemFont;
    const int32_t effectiveSize = size != 0 ? size : kStandardFonts[id].size;
    if (id == fontId && effectiveSize == fontSize && style == fontStyle)
        return;
    fontId = id;
    fontSize = effectiveSize;
    fontStyle = style;

    LOGFONTA description{};
    description.lfHeight = -effectiveSize;
    description.lfWeight = (style & kBoldFace) || id == kSystemFont ? FW_BOLD : FW_NORMAL;
    description.lfItalic = (style & kItalicFace) ? 1 : 0;
    description.lfUnderline = (style & kUnderlineFace) ? 1 : 0;
    description.lfPitchAndFamily =
        id == kSymbolFont ? DEFAULT_PITCH | FF_DECORATIVE : VARIABLE_PITCH | FF_SWISS;
    description.lfClipPrecision = CLIP_STROKE_PRECIS;
    description.lfOutPrecision = OUT_STRING_PRECIS;
    description.lfQuality = DEFAULT_QUALITY;
    description.lfCharSet = ANSI_CHARSET;
    std::strncpy(description.lfFaceName, kStandardFonts[id].face, LF_FACESIZE - 1);

    HFONT created = CreateFontIndirectA(&description);
    if (systemContext)
        SelectObject(systemContext, created);
    if (font)
        DeleteObject(font);
    font = created;
}

int32_t CDrawContext::getStringWidth(const char* string)
{
    if (!string)
        return 0;
    SIZE size{};
    if (!GetTextExtentPoint32A(systemContext, string, static_cast<int>(std::strlen(string)), &size))
        return 0;
    return size.cx;
}

void CDrawContext::drawString(const char* string, const CRect& rect, int16_t opaque, int32_t hAlign)
{
    if (!string)
        return;
    SetBkMode(systemContext, opaque ? OPAQUE : TRANSPARENT);
    const CRect r = device(rect);
    RECT box{r.left, r.top, r.right, r.bottom};
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (hAlign == kCenterText)
        format |= DT_CENTER;
    else if (hAlign == kRightText)
        format |= DT_RIGHT;
    else
        box.left += 1;
    DrawTextA(systemContext, string, -1, &box, format);
    SetBkMode(systemContext, TRANSPARENT);
}

long CDrawContext::getMouseButtons()
{
    const bool swapped = drawingFacilities().mouseButtonsSwapped;
    long buttons = 0;
    if (pressed(VK_LBUTTON))
        buttons |= swapped ? kRButton : kLButton;
    if (pressed(VK_MBUTTON))
        buttons |= kMButton;
    if (pressed(VK_RBUTTON))
        buttons |= swapped ? kLButton : kRButton;
    if (pressed(VK_SHIFT))
        buttons |= kShift;
    if (pressed(VK_CONTROL))
        buttons |= kControl;
    if (pressed(VK_MENU))
        buttons |= kAlt;
    return buttons;
}

void CDrawContext::getMouseLocation(CPoint& point)
{
    POINT cursor{};
    GetCursorPos(&cursor);
    point = CPoint(cursor.x - offsetScreen.h, cursor.y - offsetScreen.v);
}

} // namespace toolkit
