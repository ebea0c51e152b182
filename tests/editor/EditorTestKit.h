// A plug-in, an editor built on the GUI editor base the way the plug-in's own editor is, and
// views that record what reaches them: shared by the editor tests on both systems.
#pragma once

#include "editor/AEffGUIEditor.h"
#include "plugin/AudioEffectX.h"
#include "tests/plugin/Probes.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"

#include <functional>
#include <string>
#include <vector>

namespace editortest
{

using probes::FakeHost;
using toolkit::CColor;
using toolkit::CDrawContext;
using toolkit::CFrame;
using toolkit::CPoint;
using toolkit::CRect;
using toolkit::CView;

// What the views did, in order; outlives every view.
inline std::vector<std::string>& journal()
{
    static std::vector<std::string> entries;
    return entries;
}

inline int& liveViews()
{
    static int count = 0;
    return count;
}

// Fills its rectangle with one colour; records its drawing and its clicks and wheel turns.
class Swatch : public CView
{
public:
    Swatch(const std::string& name, const CRect& size, CColor colour)
        : CView(size), name(name), colour(colour)
    {
        ++liveViews();
    }
    ~Swatch() override { --liveViews(); }

    void draw(CDrawContext* context) override
    {
        journal().push_back(name + ".draw");
        context->setFillColor(colour);
        context->drawRect(size, toolkit::kDrawFilled);
        setDirty(false);
    }
    void mouse(CDrawContext*, const CPoint& where, int32_t buttons) override
    {
        journal().push_back(name + ".mouse " + std::to_string(where.h) + "," +
                            std::to_string(where.v) + " " + std::to_string(buttons));
    }
    using CView::onWheel;
    bool onWheel(CDrawContext*, const CPoint& where, float distance) override
    {
        journal().push_back(name + ".wheel " + std::to_string(where.h) + "," +
                            std::to_string(where.v) + " " + std::to_string(distance));
        return true;
    }

    std::string name;
    CColor colour;
};

// A click runs a modal loop inside a gesture, as a knob drag does (up to `turns` turns of the
// frame's idle work, ended early when the frame closes) or, with `popup`, as an option menu does
// (a pop-up menu of one item, tracked until chosen or dismissed).
class LoopingView : public Swatch
{
public:
    LoopingView(const std::string& name, const CRect& size, int32_t tag)
        : Swatch(name, size, toolkit::kBlueCColor), tag(tag)
    {
    }

    void mouse(CDrawContext*, const CPoint&, int32_t) override
    {
        CFrame* frame = getFrame();
        frame->beginEdit(tag);
        if (popup)
            popUp(frame);
        else
        {
            int turn = 0;
            for (; turn < turns && frame->isOpen(); ++turn)
                frame->doIdleStuff();
            journal().push_back(name + ".end " + std::to_string(turn));
        }
        frame->endEdit(tag);
    }

    int turns = 1000;
    bool popup = false;
    int32_t tag;

private:
    void popUp(CFrame* frame)
    {
        HMENU menu = CreatePopupMenu();
        AppendMenuA(menu, MF_STRING, 1, "One");
        RECT window{};
        GetWindowRect(frame->getWindow(), &window);
        const BOOL chosen = TrackPopupMenu(menu, TPM_RETURNCMD, window.left + 10, window.top + 110,
                                           0, frame->getWindow(), nullptr);
        DestroyMenu(menu);
        journal().push_back(name + ".popup " + std::to_string(chosen));
    }
};

class TestPlugin : public AudioEffectX
{
public:
    explicit TestPlugin(audioMasterCallback host) : AudioEffectX(host, 1, 10) {}
    void processReplacing(float**, float**, VstInt32) override {}
};

// Builds a frame of 300 x 200 with a red swatch on the left, a green one on the right and a
// looping view below them, as the plug-in's editor builds its controls; its clock is the test's:
// ticks advance only when the test moves them or the editor waits.
class TestEditor : public AEffGUIEditor
{
public:
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 200;

    // `prefix` goes before the names of the views, to tell editors apart.
    explicit TestEditor(AudioEffect* effect, const std::string& prefix = "")
        : AEffGUIEditor(effect), prefix(prefix)
    {
        rect = ERect{0, 0, kHeight, kWidth};
        lLastTicks = now;
    }

    bool open(void* ptr) override
    {
        AEffGUIEditor::open(ptr);
        auto* made = new CFrame(CRect(0, 0, kWidth, kHeight), ptr, this);
        made->addView(new Swatch(prefix + "red", CRect(0, 0, 150, 100), toolkit::kRedCColor));
        made->addView(new Swatch(prefix + "green", CRect(150, 0, 300, 100), toolkit::kGreenCColor));
        looping = new LoopingView(prefix + "loop", CRect(0, 100, 300, 200), 7);
        made->addView(looping);
        frame = made;
        return true;
    }

    void close() override
    {
        if (frame)
            frame->forget();
        frame = nullptr;
        looping = nullptr;
        AEffGUIEditor::close();
    }

    uint32_t getTicks() override { return realClock ? AEffGUIEditor::getTicks() : now; }
    void wait(uint32_t milliseconds) override
    {
        sleeps.push_back(milliseconds);
        if (realClock)
            AEffGUIEditor::wait(milliseconds);
        else
            now += milliseconds;
    }

    using AEffGUIEditor::frame;
    using AEffGUIEditor::inIdleStuff;
    using AEffGUIEditor::lLastTicks;
    using AEffGUIEditor::rect;

    std::string prefix;
    bool realClock = false;
    uint32_t now = 1000;
    std::vector<uint32_t> sleeps;
    LoopingView* looping = nullptr;
};

// One plug-in with its editor, reached through the record as a host reaches it.
struct Instance
{
    explicit Instance(const std::string& prefix = "")
    {
        plugin = new TestPlugin(&FakeHost::callback);
        editor = new TestEditor(plugin, prefix);
    }
    ~Instance()
    {
        if (plugin)
            call(effClose);
    }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    VstIntPtr call(VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr)
    {
        AEffect* effect = plugin->getAeffect();
        if (opcode == effClose)
        {
            plugin = nullptr;
            editor = nullptr;
        }
        return effect->dispatcher(effect, opcode, 0, value, ptr, 0.0f);
    }

    // The host closed the plug-in itself.
    void closedByHost()
    {
        plugin = nullptr;
        editor = nullptr;
    }

    TestPlugin* plugin;
    TestEditor* editor;
};

// A host that closes the editor, or the whole plug-in, when it is given its idle.
inline std::function<void(const probes::Request&)> closeOnIdle(Instance& instance, bool wholePlugin)
{
    return [&instance, wholePlugin](const probes::Request& r)
    {
        if (r.opcode != audioMasterIdle)
            return;
        if (wholePlugin)
        {
            instance.call(effClose);
            instance.closedByHost();
        }
        else
            instance.call(effEditClose);
    };
}

inline int requestsOf(const FakeHost& host, VstInt32 opcode)
{
    int n = 0;
    for (const probes::Request& r : host.requests)
        n += r.opcode == opcode ? 1 : 0;
    return n;
}

} // namespace editortest
