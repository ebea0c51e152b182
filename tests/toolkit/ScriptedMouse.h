// A mouse the test plays through the platform layer's input seam, so that the controls' modal
// loops poll it exactly as they poll a real one.
#pragma once

#include "platform/Platform.h"
#include "tests/toolkit/ViewTestKit.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace toolkit::testkit
{

// Buttons and modifiers (toolkit bits) and the cursor position in screen pixels, which on a
// windowless frame are the frame's own.
struct MouseStep
{
    int32_t x;
    int32_t y;
    int32_t buttons;
};

// Plays its steps while it lives. The mouse moves on to the next step when advance is called
// (the test editors do it in doIdleStuff, once per pass of a modal loop); the last step stays.
class ScriptedMouse
{
public:
    explicit ScriptedMouse(std::vector<MouseStep> steps) : steps(std::move(steps))
    {
        playing() = this;
        qev::platform::setInputReaders(&keyState, &cursor);
    }
    ~ScriptedMouse()
    {
        qev::platform::setInputReaders(nullptr, nullptr);
        playing() = nullptr;
    }
    ScriptedMouse(const ScriptedMouse&) = delete;
    ScriptedMouse& operator=(const ScriptedMouse&) = delete;

    static void advance()
    {
        if (ScriptedMouse* mouse = playing(); mouse && mouse->index + 1 < mouse->steps.size())
            ++mouse->index;
    }

private:
    static ScriptedMouse*& playing()
    {
        static ScriptedMouse* mouse = nullptr;
        return mouse;
    }
    const MouseStep& now() const { return steps[index]; }

    static SHORT keyState(int key)
    {
        int32_t bit = 0;
        switch (key)
        {
        case VK_LBUTTON:
            bit = kLButton;
            break;
        case VK_MBUTTON:
            bit = kMButton;
            break;
        case VK_RBUTTON:
            bit = kRButton;
            break;
        case VK_SHIFT:
            bit = kShift;
            break;
        case VK_CONTROL:
            bit = kControl;
            break;
        case VK_MENU:
            bit = kAlt;
            break;
        }
        return (playing()->now().buttons & bit) ? static_cast<SHORT>(0x8000) : 0;
    }
    static BOOL cursor(LPPOINT point)
    {
        point->x = playing()->now().x;
        point->y = playing()->now().y;
        return TRUE;
    }

    std::vector<MouseStep> steps;
    size_t index = 0;
};

// An editor whose idle work moves the scripted mouse on and notes the control's value at that
// moment, and whose knob mode the test chooses.
class DragEditor : public RecordingEditor
{
public:
    void doIdleStuff() override
    {
        RecordingEditor::doIdleStuff();
        if (watched)
            valuesAtIdle.push_back(watched->getValue());
        if (onIdle)
            onIdle();
        ScriptedMouse::advance();
    }
    int32_t getKnobMode() override { return knobMode; }

    int32_t knobMode = 2;
    CControl* watched = nullptr;
    std::vector<float> valuesAtIdle;
    std::function<void()> onIdle;
};

} // namespace toolkit::testkit
