#include "editor/AEffGUIEditor.h"

#include "platform/Platform.h"
#include "plugin/AudioEffectX.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"

using toolkit::CFrame;

namespace
{

int32_t& knobMode()
{
    static int32_t mode = 0;
    return mode;
}

// The pacing of doIdleStuff: a pass sets the next one 100 ms ahead; calls more than 50 ms before
// it sleep and return.
constexpr uint32_t kPassLead = 100;
constexpr uint32_t kEarlySlack = 50;
constexpr uint32_t kIdleSleep = 4;

// How far `now` lies before `next`, or 0 when it has reached it. Differences, not raw values, so
// that a counter that wrapped still compares right; anything further off than a pass ever sets
// the next one counts as reached.
uint32_t aheadOf(uint32_t now, uint32_t next)
{
    const uint32_t ahead = next - now;
    return ahead <= kPassLead ? ahead : 0;
}

// The pop-up menu's idle on Linux: the same pass as a knob drag's, through the frame (which lives
// at least as long as its window, and so as the hook).
void popupIdle(void* frame)
{
    static_cast<CFrame*>(frame)->doIdleStuff();
}

} // namespace

// Notices the editor's destruction during a call that may reach the host.
class AEffGUIEditor::DestructionWatch
{
public:
    explicit DestructionWatch(AEffGUIEditor* editor) : editor(editor), outer(editor->pDestroyed)
    {
        editor->pDestroyed = &destroyed;
    }
    ~DestructionWatch()
    {
        if (destroyed)
        {
            if (outer)
                *outer = true;
        }
        else
            editor->pDestroyed = outer;
    }
    DestructionWatch(const DestructionWatch&) = delete;
    DestructionWatch& operator=(const DestructionWatch&) = delete;

    bool editorGone() const { return destroyed; }

private:
    AEffGUIEditor* editor;
    bool* outer;
    bool destroyed = false;
};

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect) : AEffEditor(effect)
{
    lLastTicks = getTicks();
    if (effect)
        effect->setEditor(this);
    // No OLE here: the frame initialises it on the window's thread, and gives it back there.
}

AEffGUIEditor::~AEffGUIEditor()
{
    if (pDestroyed)
        *pDestroyed = true;
    if (CFrame* open = frame)
    {
        frame = nullptr;
        open->forget();
    }
    CFrame::editorGone(this);
}

bool AEffGUIEditor::getRect(ERect** out)
{
    if (!out)
        return false;
    *out = &rect;
    return true;
}

bool AEffGUIEditor::open(void* ptr)
{
    if (frame)
        close();
    return AEffEditor::open(ptr);
}

void AEffGUIEditor::idle()
{
    if (inIdleStuff)
        return;
    AEffEditor::idle();
    if (!CFrame::eventInProgress())
    {
        if (frame)
            qev::platform::setPopupIdleHook(frame->getWindow(), &popupIdle, frame);
        DestructionWatch watch(this);
        qev::platform::pumpMessages();
        if (watch.editorGone())
            return;
    }
    if (frame)
        frame->idle();
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& keyCode)
{
    return frame && frame->onKeyDown(keyCode) == 1;
}

bool AEffGUIEditor::onKeyUp(VstKeyCode& keyCode)
{
    return frame && frame->onKeyUp(keyCode) == 1;
}

bool AEffGUIEditor::onWheel(float distance)
{
    if (!frame)
        return false;
    CFrame::EventScope scope(frame);
    auto* context = new toolkit::CDrawContext(frame, nullptr, static_cast<HWND>(systemWindow));
    toolkit::CPoint where(0, 0);
    context->getMouseLocation(where);
    const bool result = frame->onWheel(context, where, distance);
    context->forget();
    return result;
}

bool AEffGUIEditor::setKnobMode(VstInt32 mode)
{
    knobMode() = mode;
    return true;
}

int32_t AEffGUIEditor::moduleKnobMode()
{
    return knobMode();
}

int32_t AEffGUIEditor::getKnobMode()
{
    return knobMode();
}

void AEffGUIEditor::setParameter(VstInt32, float) {}

bool AEffGUIEditor::beginEdit(int32_t index)
{
    // Null while the plug-in is being destroyed: its own part is gone by then.
    auto* plugin = dynamic_cast<AudioEffectX*>(effect);
    return plugin && plugin->beginEdit(index);
}

bool AEffGUIEditor::endEdit(int32_t index)
{
    auto* plugin = dynamic_cast<AudioEffectX*>(effect);
    return plugin && plugin->endEdit(index);
}

bool AEffGUIEditor::sizeWindow(int32_t width, int32_t height)
{
    auto* plugin = dynamic_cast<AudioEffectX*>(effect);
    char capability[] = "sizeWindow";
    return plugin && plugin->canHostDo(capability) > 0 && plugin->sizeWindow(width, height);
}

void AEffGUIEditor::doIdleStuff()
{
    uint32_t now = getTicks();
    if (aheadOf(now, lLastTicks) > 0)
    {
        wait(kIdleSleep);
        now += kIdleSleep;
        if (aheadOf(now, lLastTicks) > kEarlySlack)
            return;
    }

    DestructionWatch watch(this);
    idle();
    if (watch.editorGone())
        return;
    MSG paint{};
    if (PeekMessageA(&paint, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
        DispatchMessageA(&paint);
    if (watch.editorGone())
        return;
    lLastTicks = now + kPassLead;

    inIdleStuff = true;
    if (effect)
        effect->masterIdle();
    if (watch.editorGone())
        return;
    inIdleStuff = false;
}

uint32_t AEffGUIEditor::getTicks()
{
    return GetTickCount();
}

void AEffGUIEditor::wait(uint32_t milliseconds)
{
    Sleep(milliseconds);
}
