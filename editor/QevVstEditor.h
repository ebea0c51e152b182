#pragma once

// The plug-in's editor: one fixed window of 521 x 166 pixels, the background picture with seven
// filmstrip knobs (SPEED, LO-FREQ, HI-FRQ, WIDTH, FEEDBACK, DRY / WET, VOLUME) and two pop-up
// menus (SYNC, STAGE), kept in step with the plug-in's parameters both ways. A control's tag is
// the parameter it drives. Knobs show 0..1; a menu's value is its entry index (SYNC 0..12, STAGE
// 0..2), sent to the plug-in as a whole-number float.
//
// Threads: everything runs on the thread that owns the window, except setParameter, which any
// thread may call (the host's automation or audio thread): it only stores the value, and the
// next idle hands it to the control. No lock is taken.
//
// Bad input: values are shown as the engine uses them. A knob keeps any value and shows the
// nearest end of its strip; a menu shows the entry the engine runs (SYNC below 1 or NaN "man",
// above 12 "2/1T", fractions cut; TYPE above 0 "4", 2 and above "6"), while the plug-in keeps the
// value it was given.

#include "editor/AEffGUIEditor.h"
#include "engine/EngineParams.h"
#include "toolkit/CControlListener.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace toolkit
{
class CAnimKnob;
class CBitmap;
class COptionMenu;
struct CRect;
} // namespace toolkit

class QevVstEditor : public AEffGUIEditor, public toolkit::CControlListener
{
public:
    static constexpr int32_t kBackgroundBitmap = 128;
    static constexpr int32_t kKnobStripBitmap = 129;
    static constexpr int32_t kKnobFrames = 80;
    static constexpr int32_t kKnobHeight = 49;

    // Registers with the plug-in (which owns it from then on) and takes its size from the
    // background picture: getRect answers 521 x 166 before any open. effect may be null.
    explicit QevVstEditor(AudioEffect* effect);
    // Closes a window the host left open.
    ~QevVstEditor() override;

    // Builds the frame and the nine controls in the host's window ptr (no window for null: the
    // frame then paints into a surface of its own), each showing the plug-in's current value.
    // A window still open is closed first. True.
    bool open(void* ptr) override;
    // Destroys the frame with its controls and lets go of both pictures; safe when closed.
    void close() override;
    // Hands the values stored by setParameter to their controls, sets both menus from the
    // plug-in, then the base idle redraws what changed. Nothing but the base's while closed.
    void idle() override;
    // Any thread: stores the value for the control of parameter `index` (1..9; others change
    // nothing in the window). Never reaches a control and never tells the plug-in or the host.
    void setParameter(VstInt32 index, float value) override;

    // A user's change: the control's value goes to the plug-in as automation. Tags outside
    // 0..22 are ignored.
    void valueChanged(toolkit::CDrawContext* context, toolkit::CControl* control) override;

    // The menu entry the engine runs for a value of parameter `tag` (2 SYNC_SPEED, 6 TYPE);
    // -1 for any other tag.
    static int32_t menuEntryFor(int32_t tag, float value);

    // The controls while open (null while closed), for those who look at the window.
    toolkit::CAnimKnob* knobFor(int32_t tag) const;
    toolkit::COptionMenu* syncMenuControl() const { return syncMenu; }
    toolkit::COptionMenu* stageMenuControl() const { return stageMenu; }

private:
    float parameterValue(int32_t index) const;
    toolkit::CAnimKnob* makeKnob(int32_t left, int32_t tag);
    toolkit::COptionMenu* makeMenu(const toolkit::CRect& size, int32_t tag,
                                   const char* const* entries, int32_t count);
    void releaseBitmaps();
    // Hands every value stored since the last call to its control.
    void applyStoredValues();

    toolkit::CAnimKnob* speedKnob = nullptr;
    toolkit::CAnimKnob* loFreqKnob = nullptr;
    toolkit::CAnimKnob* hiFreqKnob = nullptr;
    toolkit::CAnimKnob* feedbackKnob = nullptr;
    toolkit::CAnimKnob* widthKnob = nullptr;
    toolkit::CAnimKnob* volumeKnob = nullptr;
    toolkit::CAnimKnob* dryWetKnob = nullptr;
    toolkit::COptionMenu* stageMenu = nullptr;
    toolkit::COptionMenu* syncMenu = nullptr;
    toolkit::CBitmap* background = nullptr;
    toolkit::CBitmap* knobImage = nullptr;

    // Written by setParameter on any thread, read by idle on the window's: the latest value of
    // each parameter, and one bit per parameter set since idle last looked.
    std::array<std::atomic<float>, qev::kNumParams> storedValues;
    std::atomic<uint32_t> changedParameters{0};
    static_assert(qev::kNumParams <= 32, "one bit per parameter");
};
