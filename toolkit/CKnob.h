#pragma once

#include "toolkit/CColor.h"
#include "toolkit/CControl.h"

#include <cstdint>

namespace toolkit
{

// The frame's knob mode that drags knobs in a straight line; every other mode drags them around
// their centre.
enum : int32_t
{
    kLinearKnobMode = 2,
};

// A rotary control: dragged with the mouse, turned by the wheel and the arrow keys, drawn as a
// handle on a circle over its background picture.
//
// Angles are in radians, counter-clockwise from the rightward direction with y pointing up. The
// value vmin sits at startAngle and vmax at startAngle + rangeAngle; the rest of the circle is the
// dead zone, whose halves belong to the nearer end.
//
// The listener hears of every change of value the user makes (and of nothing else), each wheel
// step and key press bracketed by beginEdit/endEdit, a drag by one pair around the whole drag.
class CKnob : public CControl
{
public:
    // The handle picture may be null (a line is drawn instead); both pictures take a reference.
    // `offset` is the source offset into the background picture.
    CKnob(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
          CBitmap* handle, const CPoint& offset = CPoint());
    ~CKnob() override;

    void draw(CDrawContext* context) override;
    // The left button drags until it is released: a modal loop that polls the mouse through the
    // context and gives the frame its idle work on every pass. Control+left click restores the
    // default value. Needs a context and a frame; without them nothing happens.
    void mouse(CDrawContext* context, const CPoint& where, int32_t buttons = -1) override;
    // Arrow keys (virtual keys 11 to 14) step by wheelInc, a tenth of it with Shift; 1 for those,
    // -1 for any other key.
    int32_t onKeyDown(VstKeyCode& keyCode) override;
    using CControl::onWheel;
    // One notch (1.0) steps by wheelInc, a tenth of it with Shift; the value stays in range. A
    // distance that is not a finite number is ignored (false).
    bool onWheel(CDrawContext* context, const CPoint& where, float distance) override;
    bool isTypeOf(const char* className) const override;

    virtual void drawHandle(CDrawContext* context);
    // Both recompute the angle coefficients and mark the knob dirty.
    virtual void setStartAngle(float radians);
    virtual float getStartAngle() const;
    virtual void setRangeAngle(float radians);
    virtual float getRangeAngle() const;
    // The handle point of the current value, in the knob's own pixels (origin at its top-left).
    // A value that gives no finite point (NaN, infinities) puts the handle at the centre.
    virtual void valueToPoint(CPoint& point) const;
    // The value under `point` (the knob's own pixels); in the dead zone, the nearer end.
    virtual float valueFromPoint(const CPoint& point) const;
    // Distance of the handle point from the rim, pixels.
    virtual void setInsetValue(int32_t inset);
    virtual void setColorShadowHandle(const CColor& color);
    virtual void setColorHandle(const CColor& color);
    // Takes a reference on a new picture and fits the inset to it; null removes the picture.
    virtual void setHandleBitmap(CBitmap* handle);
    // Multiplies the 200-pixel drag range while Shift is held.
    virtual void setZoomFactor(float factor);
    virtual float getZoomFactor() const;

    int32_t getInsetValue() const { return inset; }
    CColor getColorHandle() const { return colorHandle; }
    CColor getColorShadowHandle() const { return colorShadowHandle; }

protected:
    // The user changed the value from `before`: tell the listener, if the value really differs.
    // NaN counts as no change.
    bool reportChange(CDrawContext* context, float before);
    // One step of the wheel or the keys: move by `step`, bound, and tell the listener inside a
    // gesture of its own.
    void stepValue(CDrawContext* context, float step);

    CPoint offset;
    CColor colorHandle = kWhiteCColor;
    CColor colorShadowHandle = kGreyCColor;
    CBitmap* pHandle = nullptr;
    int32_t inset = 3;
    float startAngle = 3.9269907f;
    float rangeAngle = -4.712389f;
    float halfAngle = 0.0f;
    float aCoef = 0.0f;
    float bCoef = 0.0f;
    float radius;
    float zoomFactor = 1.5f;

private:
    struct Drag; // the state of one mouse drag

    void compute();
    static int32_t insetFor(const CBitmap* handle);
    Drag startDrag(const CPoint& where, int32_t buttons) const;
    void dragTo(Drag& drag, const CPoint& where, int32_t buttons);
    // Pixels from vmin to vmax in a linear drag.
    float linearRange(int32_t buttons) const;
};

} // namespace toolkit
