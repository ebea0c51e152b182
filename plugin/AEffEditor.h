#pragma once

// The plain editor interface the dispatcher drives with the editor opcodes. A plug-in's editor
// derives from it (through the GUI editor base) and replaces what it needs; the defaults here
// answer "not done" so that an editor that replaces nothing is harmless. All calls arrive on
// the host's user-interface thread.

#include "VstInterface.h"

class AudioEffect;

class AEffEditor
{
public:
    // effect: the plug-in this editor belongs to, not owned; the plug-in owns the editor.
    explicit AEffEditor(AudioEffect* effect) : effect(effect) {}
    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;
    virtual ~AEffEditor() = default;

    virtual AudioEffect* getEffect() { return effect; }

    // Points *rect at the editor's size in pixels and answers true; the base has no size and
    // answers false with *rect null. rect is never null (the dispatcher checks).
    virtual bool getRect(ERect** rect)
    {
        *rect = nullptr;
        return false;
    }

    // Opens the editor inside the host's parent window ptr; true when a window was made. The
    // base only remembers the parent.
    virtual bool open(void* ptr)
    {
        systemWindow = ptr;
        return false;
    }

    virtual void close() { systemWindow = nullptr; }
    virtual bool isOpen() { return systemWindow != nullptr; }
    virtual void idle() {}

    // Key events; true when the editor used the key.
    virtual bool onKeyDown(VstKeyCode& /*keyCode*/) { return false; }
    virtual bool onKeyUp(VstKeyCode& /*keyCode*/) { return false; }

    // Mouse-wheel movement; true when used.
    virtual bool onWheel(float /*distance*/) { return false; }

    // The host's preferred knob mode; true when the editor takes it.
    virtual bool setKnobMode(VstInt32 /*mode*/) { return false; }

protected:
    AudioEffect* effect;
    void* systemWindow = nullptr; // the host's parent window while open, else null
};
