#pragma once

#include "toolkit/CView.h"

#include <atomic>
#include <cstdint>

namespace toolkit
{

class CControlListener;

// A view that holds a float value and reports the user's changes to its listener. The control
// is dirty whenever its value differs from the value it last drew, so it is redrawn once after
// each change, whoever made it.
class CControl : public CView
{
public:
    // The listener is not owned and may be null. The background takes a reference.
    CControl(const CRect& size, CControlListener* listener, int32_t tag,
             CBitmap* background = nullptr);

    // Dirty when the value differs from the one last drawn (a NaN never differs) or when marked.
    bool isDirty() const override;
    // Marking dirty moves the drawn value away from the value; clearing makes them equal.
    void setDirty(bool dirty = true) override;
    bool isTypeOf(const char* className) const override;

    // The frame's idle work, for controls that run a loop of their own while the mouse is down.
    virtual void doIdleStuff();

    // Stores the value as given: no bounding, no notification. Safe to call from another thread.
    virtual void setValue(float value);
    virtual float getValue() const;
    virtual void setMin(float minimum);
    virtual float getMin() const;
    virtual void setMax(float maximum);
    virtual float getMax() const;
    virtual void setOldValue(float value);
    virtual float getOldValue() const;
    virtual void setDefaultValue(float value);
    virtual float getDefaultValue() const;
    virtual void setTag(int32_t tag);
    virtual int32_t getTag() const;

    // Bracket a user gesture; the frame tells the editor, which tells the host. beginEdit also
    // makes this control the focus view. Detached controls tell nobody.
    virtual void beginEdit();
    virtual void endEdit();

    virtual void setBackOffset(const CPoint& offset);
    // The background picture offset becomes the control's own top-left position.
    virtual void copyBackOffset();
    virtual void setWheelInc(float increment);
    virtual float getWheelInc() const;

    // Clamps the value into [min, max]; a NaN becomes max.
    virtual void bounceValue();
    // Control+left click (and no other combination) restores the default value, telling the
    // listener when that changed the value. True when it acted.
    virtual bool checkDefaultValue(CDrawContext* context, int32_t buttons);

    CControlListener* getListener() const { return listener; }
    CPoint getBackOffset() const { return backOffset; }

protected:
    // Offers a click with modifier keys to the listener (buttons not given count as such); true
    // when the listener took it over and the control must do nothing more with it.
    bool listenerTakesClick(CDrawContext* context, int32_t buttons);
    // Whether two values differ as the control compares them: a NaN on either side never does.
    static bool valuesDiffer(float a, float b) { return a < b || a > b; }

    CControlListener* listener;
    int32_t tag;
    float oldValue = 1.0f;
    float defaultValue = 0.5f;
    // The editor may store a value from another thread: written and read whole, without a lock.
    std::atomic<float> value{0.0f};
    float vmin = 0.0f;
    float vmax = 1.0f;
    float wheelInc = 0.1f;
    int32_t lastTicks = -1;
    int32_t delta;
    CPoint backOffset;
};

} // namespace toolkit
