#pragma once

#include <cstdint>

namespace toolkit
{

// What a frame asks of the editor that owns it. The GUI editor base implements it; the frame
// holds it without owning it and passes the controls' requests on.
class CFrameEditor
{
public:
    virtual ~CFrameEditor() = default;

    // Keeps the window painting and the host alive from inside a modal mouse loop.
    virtual void doIdleStuff() = 0;
    // Milliseconds of the system tick counter.
    virtual uint32_t getTicks() = 0;
    // The knob mode the host asked for, shared by every editor of the module.
    virtual int32_t getKnobMode() = 0;
    // A user gesture on parameter `index` starts or ends; true when the host was told.
    virtual bool beginEdit(int32_t index) = 0;
    virtual bool endEdit(int32_t index) = 0;
    // Asks the host to make its editor window width x height pixels, when it says it can; true
    // when it did. Without a host that resizes, false.
    virtual bool sizeWindow(int32_t /*width*/, int32_t /*height*/) { return false; }
};

} // namespace toolkit
