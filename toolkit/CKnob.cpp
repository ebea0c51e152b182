#include "toolkit/CKnob.h"

#include "toolkit/CBitmap.h"
#include "toolkit/CControlListener.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/CFrameEditor.h"
#include "toolkit/FloatToInt.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace toolkit
{
namespace
{

constexpr float kTwoPi = 6.28318530718f;
constexpr float kLinearDragPixels = 200.0f;

// The host's virtual keys for the arrows, and the Shift bit of its modifiers.
constexpr unsigned char kKeyLeft = 11;
constexpr unsigned char kKeyUp = 12;
constexpr unsigned char kKeyRight = 13;
constexpr unsigned char kKeyDown = 14;
constexpr unsigned char kShiftModifierBit = 1;

// Once into [0, 2pi]: enough for the difference of two angles that each lie in it.
float wrapOnce(float angle)
{
    if (angle < 0.0f)
        return angle + kTwoPi;
    if (angle > kTwoPi)
        return angle - kTwoPi;
    return angle;
}

int32_t toPixel(float x, int32_t ifNaN)
{
    return truncateInRange(x, std::numeric_limits<int32_t>::min(),
                           std::numeric_limits<int32_t>::max(), ifNaN);
}

} // namespace

// A linear drag adds the pixels moved up and right, times a coefficient, to the value it started
// from; a circular drag follows the angle of the mouse around the centre.
struct CKnob::Drag
{
    bool linear;
    CPoint press;
    float startValue;
    float coefficient;
    int32_t buttons;
    float previous;
    float middle;
};

CKnob::CKnob(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
             CBitmap* handle, const CPoint& offset)
    : CControl(size, listener, tag, background), offset(offset), pHandle(handle),
      inset(insetFor(handle)), radius(static_cast<float>(size.right - size.left) / 2.0f)
{
    if (pHandle)
        pHandle->remember();
    compute();
    setWantsFocus(true);
}

CKnob::~CKnob()
{
    if (pHandle)
        pHandle->forget();
}

bool CKnob::isTypeOf(const char* className) const
{
    if (className && std::strcmp(className, "CKnob") == 0)
        return true;
    return CControl::isTypeOf(className);
}

int32_t CKnob::insetFor(const CBitmap* handle)
{
    return handle ? static_cast<int32_t>(handle->getWidth() / 2.0 + 2.5) : 3;
}

void CKnob::compute()
{
    halfAngle = (kTwoPi - std::fabs(rangeAngle)) * 0.5f;
    aCoef = (vmax - vmin) / rangeAngle;
    bCoef = vmin - aCoef * startAngle;
    setDirty(true);
}

void CKnob::setStartAngle(float radians)
{
    startAngle = radians;
    compute();
}

float CKnob::getStartAngle() const
{
    return startAngle;
}

void CKnob::setRangeAngle(float radians)
{
    rangeAngle = radians;
    compute();
}

float CKnob::getRangeAngle() const
{
    return rangeAngle;
}

void CKnob::setInsetValue(int32_t newInset)
{
    inset = newInset;
}

void CKnob::setColorShadowHandle(const CColor& color)
{
    colorShadowHandle = color;
    setDirty(true);
}

void CKnob::setColorHandle(const CColor& color)
{
    colorHandle = color;
    setDirty(true);
}

void CKnob::setHandleBitmap(CBitmap* handle)
{
    if (pHandle)
        pHandle->forget();
    pHandle = handle;
    if (pHandle)
    {
        pHandle->remember();
        inset = insetFor(pHandle);
    }
    setDirty(true);
}

void CKnob::setZoomFactor(float factor)
{
    zoomFactor = factor;
}

float CKnob::getZoomFactor() const
{
    return zoomFactor;
}

// ---- Geometry --------------------------------------------------------------------------------

void CKnob::valueToPoint(CPoint& point) const
{
    const float alpha = (getValue() - bCoef) / aCoef;
    const float reach = radius - static_cast<float>(inset);
    const int32_t centre = toPixel(radius + 0.5f, 0);
    point.h = toPixel(radius + std::cos(alpha) * reach + 0.5f, centre);
    point.v = toPixel(radius - std::sin(alpha) * reach + 0.5f, centre);
}

float CKnob::valueFromPoint(const CPoint& point) const
{
    float alpha =
        std::atan2(radius - static_cast<float>(point.v), static_cast<float>(point.h) - radius);
    if (alpha < 0.0f)
        alpha += kTwoPi;
    float a2 = alpha - startAngle;
    if (rangeAngle < 0.0f)
    {
        a2 -= rangeAngle;
        const float a3 = wrapOnce(a2);
        if (a3 > halfAngle - rangeAngle)
            return vmax;
        if (a3 > -rangeAngle)
            return vmin;
        if (a2 > halfAngle - rangeAngle)
            a2 -= kTwoPi;
        else if (a2 < -halfAngle)
            a2 += kTwoPi;
        return aCoef * a2 + vmax;
    }
    const float a3 = wrapOnce(a2);
    if (a3 > rangeAngle + halfAngle)
        return vmin;
    if (a3 > rangeAngle)
        return vmax;
    if (a2 > rangeAngle + halfAngle)
        a2 -= kTwoPi;
    else if (a2 < -halfAngle)
        a2 += kTwoPi;
    return aCoef * a2 + vmin;
}

// ---- Drawing ---------------------------------------------------------------------------------

void CKnob::draw(CDrawContext* context)
{
    const float shown = getValue();
    drawBackgroundPicture(context, size, offset);
    if (context)
        drawHandle(context);
    setDirty(false);
    // A value stored from another thread while drawing is still to be drawn.
    oldValue = shown;
}

void CKnob::drawHandle(CDrawContext* context)
{
    CPoint p;
    valueToPoint(p);
    if (pHandle)
    {
        const int32_t w = pHandle->getWidth();
        const int32_t h = pHandle->getHeight();
        p.offset(size.left - w / 2, size.top - h / 2);
        pHandle->drawTransparent(context, CRect(p.h, p.v, p.h + w, p.v + h), CPoint(0, 0));
        return;
    }
    CPoint c(size.width() / 2, size.height() / 2);
    p.offset(size.left - 1, size.top);
    c.offset(size.left - 1, size.top);
    context->setLineWidth(1);
    context->setFrameColor(colorShadowHandle);
    context->moveTo(p);
    context->lineTo(c);
    p.offset(1, -1);
    c.offset(1, -1);
    context->setFrameColor(colorHandle);
    context->moveTo(p);
    context->lineTo(c);
}

// ---- Input -----------------------------------------------------------------------------------

bool CKnob::reportChange(CDrawContext* context, float before)
{
    if (!listener || !valuesDiffer(before, getValue()))
        return false;
    listener->valueChanged(context, this);
    return true;
}

void CKnob::stepValue(CDrawContext* context, float step)
{
    const float before = getValue();
    setValue(before + step);
    bounceValue();
    if (!listener || !valuesDiffer(before, getValue()))
        return;
    beginEdit();
    listener->valueChanged(context, this);
    endEdit();
}

bool CKnob::onWheel(CDrawContext* context, const CPoint&, float distance)
{
    if (!bMouseEnabled || !std::isfinite(distance))
        return false;
    const bool fine = context && (context->getMouseButtons() & kShift);
    stepValue(context, fine ? 0.1f * distance * wheelInc : distance * wheelInc);
    return true;
}

int32_t CKnob::onKeyDown(VstKeyCode& keyCode)
{
    float direction = 0.0f;
    switch (keyCode.virt)
    {
    case kKeyUp:
    case kKeyRight:
        direction = 1.0f;
        break;
    case kKeyDown:
    case kKeyLeft:
        direction = -1.0f;
        break;
    default:
        return -1;
    }
    float step = direction * wheelInc;
    if (keyCode.modifier & kShiftModifierBit)
        step *= 0.1f;
    stepValue(nullptr, step);
    return 1;
}

float CKnob::linearRange(int32_t buttons) const
{
    return (buttons & kShift) ? kLinearDragPixels * zoomFactor : kLinearDragPixels;
}

CKnob::Drag CKnob::startDrag(const CPoint& where, int32_t buttons) const
{
    const bool linearMode = pParentFrame->getKnobMode() == kLinearKnobMode;
    Drag drag{};
    drag.linear = linearMode != ((buttons & kAlt) != 0); // Alt swaps the two ways
    drag.press = where;
    drag.startValue = getValue();
    drag.coefficient = (vmax - vmin) / linearRange(buttons);
    drag.buttons = buttons;
    drag.previous = valueFromPoint(CPoint(where.h - size.left, where.v - size.top));
    drag.middle = (vmax - vmin) * 0.5f;
    return drag;
}

void CKnob::dragTo(Drag& drag, const CPoint& where, int32_t buttons)
{
    if (drag.linear)
    {
        const float diff = static_cast<float>((drag.press.v - where.v) + (where.h - drag.press.h));
        if (buttons != drag.buttons)
        {
            // Moves the start so that the value stays where it is when the rate changes.
            const float coefficient = (vmax - vmin) / linearRange(buttons);
            drag.startValue += diff * (drag.coefficient - coefficient);
            drag.coefficient = coefficient;
            drag.buttons = buttons;
        }
        setValue(drag.startValue + diff * drag.coefficient);
        bounceValue();
        return;
    }
    const float v = valueFromPoint(CPoint(where.h - size.left, where.v - size.top));
    // A jump of more than half the range crossed the dead zone: stay at the end it came from.
    if (drag.previous - v > drag.middle)
        setValue(vmax);
    else if (v - drag.previous > drag.middle)
        setValue(vmin);
    else
    {
        setValue(v);
        drag.previous = v;
    }
}

void CKnob::mouse(CDrawContext* context, const CPoint& where, int32_t buttons)
{
    if (!bMouseEnabled || !context || !pParentFrame)
        return;
    if (buttons == kButtonsNotGiven)
        buttons = static_cast<int32_t>(context->getMouseButtons());
    if (!(buttons & kLButton))
        return;
    if (listenerTakesClick(context, buttons))
        return;
    if (checkDefaultValue(context, buttons))
        return;

    Drag drag = startDrag(where, buttons);
    // The idle work lets the host run, which may close the editor and take the knob out of its
    // frame: the knob keeps itself alive until the loop is done and stops when detached. The
    // editor outlives its frames, so the gesture is ended through it all the same.
    CFrameEditor* editor = getEditor();
    remember();
    beginEdit();
    CPoint point = where;
    CPoint last(-1, -1);
    int32_t current = buttons;
    do
    {
        current = static_cast<int32_t>(context->getMouseButtons());
        if (point != last)
        {
            last = point;
            const float before = getValue();
            dragTo(drag, point, current);
            reportChange(context, before);
        }
        getMouseLocation(context, point);
        doIdleStuff();
        // A frame closed meanwhile (the host closed the editor, or removed the plug-in with it,
        // during its idle) ends the drag: the listener may be gone.
    } while ((current & kLButton) && pParentFrame && pParentFrame->isOpen());
    if (pParentFrame)
        endEdit();
    else if (editor)
        editor->endEdit(tag);
    forget();
}

} // namespace toolkit
