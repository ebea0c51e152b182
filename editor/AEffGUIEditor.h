#pragma once

// The editor base that ties the host's editor calls to the GUI toolkit. A plug-in's editor derives
// from it, builds a CFrame into `frame` in its open and destroys it in its close; this base keeps
// the size reported to the host, refreshes and (on Linux) pumps the window on idle, paces the idle
// work of the toolkit's modal loops, forwards keys to the frame, relays a control's gestures to
// the host and keeps the module-wide knob mode.
//
// Threads: everything runs on the host's user-interface thread, the one that opens the editor.
//
// Host behaviours it is built for: the size asked before and after open; open twice without a
// close (the first window is closed first); close without open; idle with no window, and idle
// re-entered from inside the host's idle request; the host destroying its window before close;
// several editors open at once; the editor closed, or the plug-in destroyed, from inside a modal
// loop (the frame waits until the loop has returned, and this object notices its own
// destruction in the middle of its idle work).

#include "plugin/AEffEditor.h"
#include "toolkit/CFrameEditor.h"

#include <cstdint>

namespace toolkit
{
class CFrame;
}

class AEffGUIEditor : public AEffEditor, public toolkit::CFrameEditor
{
public:
    // Registers with the plug-in (setEditor), which owns this object from then on and sets its
    // has-editor flag. effect may be null (the editor then asks no host for anything).
    explicit AEffGUIEditor(AudioEffect* effect);
    // A frame still open (the host closed the plug-in without closing the editor) is destroyed;
    // a frame whose destruction waits for a loop to return lets go of this editor.
    ~AEffGUIEditor() override;

    // Points *rect at `rect`, whatever it holds (all 0 until the derived editor sets it): true.
    bool getRect(ERect** rect) override;
    // Stores the host's window. A window still open from an earlier open is closed first.
    bool open(void* ptr) override;
    // Nothing while the host's idle request from doIdleStuff runs. Otherwise, unless a call from
    // the window into the toolkit is running, dispatches the window's pending messages (on Linux
    // the host pumps none) and keeps the pop-up menu's idle hook on the frame's window; then the
    // frame redraws what is dirty.
    void idle() override;
    // With a frame, true exactly when the frame answers 1; false with the window closed.
    bool onKeyDown(VstKeyCode& keyCode) override;
    bool onKeyUp(VstKeyCode& keyCode) override;
    // The wheel at the current mouse position, in notches; false with the window closed.
    bool onWheel(float distance) override;
    // Stores the mode for every editor of the module, without a range check: true.
    bool setKnobMode(VstInt32 mode) override;

    // The plug-in's value changed; the derived editor shows it.
    virtual void setParameter(VstInt32 index, float value);

    // The host's begin- and end-edit requests for parameter `index`, with its answer.
    bool beginEdit(int32_t index) override;
    bool endEdit(int32_t index) override;
    // Keeps the window painting and the host alive from inside a modal loop: at most one pass
    // (idle, one paint message, the host's idle request) about every 50 ms, and a 4 ms sleep on
    // every call in between. The pacing compares tick differences, so it survives the tick
    // counter's wrap; a gap of more than 100 ms, in either direction, runs a pass at once.
    void doIdleStuff() override;
    // Milliseconds of the system tick counter; wraps after 2^32.
    uint32_t getTicks() override;
    int32_t getKnobMode() override;
    // Through the plug-in: when the host says it can ("sizeWindow") and then does.
    bool sizeWindow(int32_t width, int32_t height) override;

    // Suspends the calling thread for `milliseconds`.
    virtual void wait(uint32_t milliseconds);

    toolkit::CFrame* getFrame() const { return frame; }
    // The mode the last editor of the module was given; 0 until then.
    static int32_t moduleKnobMode();

protected:
    ERect rect{};
    // Tick count from which the next pass of doIdleStuff may run.
    uint32_t lLastTicks = 0;
    // Set only while doIdleStuff waits for the host's idle request.
    bool inIdleStuff = false;
    // The top-level view while the window is open; the derived editor makes and destroys it.
    toolkit::CFrame* frame = nullptr;

private:
    class DestructionWatch;
    // Set by the destructor, for the innermost DestructionWatch running.
    bool* pDestroyed = nullptr;
};
