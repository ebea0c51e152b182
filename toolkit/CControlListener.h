#pragma once

#include <cstdint>

namespace toolkit
{

class CControl;
class CDrawContext;

// Told by controls about changes the user makes. Not owned by the controls that call it.
class CControlListener
{
public:
    virtual ~CControlListener() = default;

    // The control's value was changed by the user; read it from the control.
    virtual void valueChanged(CDrawContext* context, CControl* control) = 0;
    // A click with modifier keys on the control. Non-zero means the listener has handled the
    // click and the control must do nothing more with it.
    virtual int32_t controlModifierClicked(CDrawContext* /*context*/, CControl* /*control*/,
                                           int32_t /*buttons*/)
    {
        return 0;
    }
};

} // namespace toolkit
