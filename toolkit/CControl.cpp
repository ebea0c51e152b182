#include "toolkit/CControl.h"

#include "toolkit/Buttons.h"
#include "toolkit/CControlListener.h"
#include "toolkit/CFrame.h"

#include <algorithm>
#include <cstring>

namespace toolkit
{
namespace
{

// The platform layer reports no double-click time; this is the system's usual setting, and
// double clicks faster than 250 ms are never asked for.
constexpr int32_t kDoubleClickMilliseconds = 500;
constexpr int32_t kShortestDoubleClick = 250;

} // namespace

CControl::CControl(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background)
    : CView(size), listener(listener), tag(tag),
      delta(std::max(kDoubleClickMilliseconds, kShortestDoubleClick))
{
    setTransparency(false);
    setMouseEnabled(true);
    setBackground(background);
    // Marking the new picture dirty moved the drawn value; a new control starts from 1.0
    // against a value of 0.0, which already makes it dirty.
    oldValue = 1.0f;
}

bool CControl::isDirty() const
{
    return valuesDiffer(getValue(), oldValue) || bDirty;
}

void CControl::setDirty(bool dirty)
{
    bDirty = dirty;
    if (dirty)
        oldValue = getValue() == -1.0f ? 0.0f : -1.0f;
    else
        oldValue = getValue();
}

bool CControl::isTypeOf(const char* className) const
{
    if (className && std::strcmp(className, "CControl") == 0)
        return true;
    return CView::isTypeOf(className);
}

void CControl::doIdleStuff()
{
    if (pParentFrame)
        pParentFrame->doIdleStuff();
}

void CControl::setValue(float newValue)
{
    value.store(newValue, std::memory_order_relaxed);
}

float CControl::getValue() const
{
    return value.load(std::memory_order_relaxed);
}

void CControl::setMin(float minimum)
{
    vmin = minimum;
}

float CControl::getMin() const
{
    return vmin;
}

void CControl::setMax(float maximum)
{
    vmax = maximum;
}

float CControl::getMax() const
{
    return vmax;
}

void CControl::setOldValue(float newOldValue)
{
    oldValue = newOldValue;
}

float CControl::getOldValue() const
{
    return oldValue;
}

void CControl::setDefaultValue(float newDefault)
{
    defaultValue = newDefault;
}

float CControl::getDefaultValue() const
{
    return defaultValue;
}

void CControl::setTag(int32_t newTag)
{
    tag = newTag;
}

int32_t CControl::getTag() const
{
    return tag;
}

void CControl::beginEdit()
{
    if (!pParentFrame)
        return;
    pParentFrame->setFocusView(this);
    pParentFrame->beginEdit(tag);
}

void CControl::endEdit()
{
    if (pParentFrame)
        pParentFrame->endEdit(tag);
}

void CControl::setBackOffset(const CPoint& offset)
{
    backOffset = offset;
}

void CControl::copyBackOffset()
{
    backOffset = CPoint(size.left, size.top);
}

void CControl::setWheelInc(float increment)
{
    wheelInc = increment;
}

float CControl::getWheelInc() const
{
    return wheelInc;
}

void CControl::bounceValue()
{
    const float current = getValue();
    if (!(current <= vmax))
        setValue(vmax);
    else if (current < vmin)
        setValue(vmin);
}

bool CControl::listenerTakesClick(CDrawContext* context, int32_t buttons)
{
    constexpr int32_t modifiers = kShift | kControl | kAlt | kExtraModifier;
    return listener && (buttons & modifiers) &&
           listener->controlModifierClicked(context, this, buttons) != 0;
}

bool CControl::checkDefaultValue(CDrawContext* context, int32_t buttons)
{
    if (buttons != (kLButton | kControl))
        return false;
    beginEdit();
    // Compared with the value before, not with what is drawn: a control that skips redraws too
    // small to see must still send every change.
    const float before = getValue();
    setValue(getDefaultValue());
    if (listener && valuesDiffer(before, getValue()))
        listener->valueChanged(context, this);
    endEdit();
    return true;
}

} // namespace toolkit
