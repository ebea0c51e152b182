#include "toolkit/CParamDisplay.h"

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"

#include <cstdio>
#include <cstring>

namespace toolkit
{

CParamDisplay::CParamDisplay(const CRect& size, CBitmap* background, int32_t style)
    : CControl(size, nullptr, 0, background), style(style)
{
    if (style & kDrawNothingStyle)
        setDirty(false);
}

CParamDisplay::~CParamDisplay() = default;

bool CParamDisplay::isTypeOf(const char* className) const
{
    if (className && std::strcmp(className, "CParamDisplay") == 0)
        return true;
    return CControl::isTypeOf(className);
}

template <typename T> void CParamDisplay::change(T& field, const T& value)
{
    if (field == value)
        return;
    field = value;
    setDirty(true);
}

void CParamDisplay::setFont(int32_t fontId)
{
    change(fontID, fontId);
}

void CParamDisplay::setFontColor(const CColor& color)
{
    change(fontColor, color);
}

void CParamDisplay::setBackColor(const CColor& color)
{
    change(backColor, color);
}

void CParamDisplay::setFrameColor(const CColor& color)
{
    change(frameColor, color);
}

void CParamDisplay::setShadowColor(const CColor& color)
{
    change(shadowColor, color);
}

void CParamDisplay::setHoriAlign(int32_t alignment)
{
    change(horiAlign, alignment);
}

void CParamDisplay::setStyle(int32_t newStyle)
{
    change(style, newStyle);
}

void CParamDisplay::setTxtFace(int32_t face)
{
    change(txtFace, face);
}

void CParamDisplay::setStringConvert(CParamDisplayConvertWithData convert, void* data)
{
    stringConvert2 = convert;
    userData = data;
}

void CParamDisplay::setStringConvert(CParamDisplayConvert convert)
{
    stringConvert = convert;
}

void CParamDisplay::setTextToValueConvert(CParamDisplayTextToValue convert)
{
    textToValue = convert;
}

void CParamDisplay::setTextTransparency(bool transparent)
{
    bTextTransparencyEnabled = transparent;
}

void CParamDisplay::draw(CDrawContext* context)
{
    const float shown = getValue();
    char text[kTextSize] = {};
    if (stringConvert2)
        stringConvert2(shown, text, userData);
    else if (stringConvert)
        stringConvert(shown, text);
    else
        std::snprintf(text, sizeof text, "%2.2f", static_cast<double>(shown));
    text[kTextSize - 1] = '\0'; // whatever a hook left there
    drawText(context, text);
    // A value stored from another thread while drawing is still to be drawn.
    oldValue = shown;
}

void CParamDisplay::drawText(CDrawContext* context, const char* text, CBitmap* picture)
{
    setDirty(false);
    if ((style & kDrawNothingStyle) || !context)
        return;
    drawBox(context, picture);
    if (style & (kEdgeBackTopLeftStyle | kEdgeFrameTopLeftStyle))
        drawEdge(context);
    if ((style & kNoTextStyle) || !text || !*text)
        return;
    drawTextLine(context, text);
}

void CParamDisplay::drawBox(CDrawContext* context, CBitmap* picture)
{
    if (!picture)
        picture = pBackground;
    if (picture)
    {
        if (bTransparencyEnabled)
            picture->drawTransparent(context, size, backOffset);
        else
            picture->draw(context, size, backOffset);
        return;
    }
    if (bTransparencyEnabled)
        return;
    const bool framed = !(style & (kEdgeBackTopLeftStyle | kEdgeFrameTopLeftStyle | kNoFrameStyle));
    context->setFillColor(backColor);
    context->setFrameColor(frameColor);
    context->setLineWidth(1);
    context->drawRect(size, framed ? kDrawFilledAndStroked : kDrawFilled);
}

void CParamDisplay::drawEdge(CDrawContext* context)
{
    CRect r = size;
    r.right -= 1;
    r.top += 1;
    r.bottom -= 1;
    const bool backFirst = (style & kEdgeBackTopLeftStyle) != 0;
    context->setLineWidth(1);
    context->setFrameColor(backFirst ? backColor : frameColor);
    context->moveTo(CPoint(r.left, r.bottom));
    context->lineTo(CPoint(r.left, r.top));
    context->lineTo(CPoint(r.right, r.top));
    context->setFrameColor(backFirst ? frameColor : backColor);
    context->moveTo(CPoint(r.right, r.top));
    context->lineTo(CPoint(r.right, r.bottom));
    context->lineTo(CPoint(r.left, r.bottom));
}

void CParamDisplay::drawTextLine(CDrawContext* context, const char* text)
{
    CRect oldClip;
    context->getClipRect(oldClip);
    context->setClipRect(CRect(size).bound(oldClip));
    context->setFont(fontID, 0, txtFace);
    const int16_t opaque = bTextTransparencyEnabled ? 0 : 1;
    if (opaque)
        context->setFillColor(backColor); // what opaque text is backed with
    if (style & kShadowTextStyle)
    {
        context->setFontColor(shadowColor);
        context->drawString(text, CRect(size).offset(1, 1), opaque, horiAlign);
    }
    context->setFontColor(fontColor);
    context->drawString(text, size, opaque, horiAlign);
    context->setClipRect(oldClip);
}

} // namespace toolkit
