// The GUI editor base without a window system: rectangle, keys, knob mode, the host requests,
// the paced idle work (across the tick counter's wrap), re-entrance, closing from inside a
// modal loop, and OLE. Runs on Linux and, cross-built, under Wine.
#include "tests/editor/EditorTestKit.h"

#include "toolkit/CDropTarget.h"

#include <gtest/gtest.h>

#include <memory>

namespace editortest
{
namespace
{

using Journal = std::vector<std::string>;

class EditorBaseTest : public ::testing::Test
{
protected:
    void SetUp() override { journal().clear(); }
    void TearDown() override
    {
        instance.reset();
        EXPECT_EQ(liveViews(), 0) << "views left alive";
        AEffGUIEditor(nullptr).setKnobMode(0);
    }

    TestEditor& editor() { return *instance->editor; }
    // Opens a windowless frame and draws it once, so that its idle redraws what is dirty.
    CFrame* openWindowless()
    {
        editor().open(nullptr);
        CFrame* frame = editor().getFrame();
        CDrawContext* context = frame->createDrawContext();
        frame->draw(context);
        context->forget();
        journal().clear();
        return frame;
    }
    // What the host's answers tell about OLE on this thread: whether RegisterDragDrop gets as
    // far as looking at the (null) window, which it only does once OLE is initialised.
    static bool oleInitialised()
    {
        auto* target = new toolkit::CDropTarget(nullptr);
        target->AddRef();
        const HRESULT result = RegisterDragDrop(nullptr, target);
        target->Release();
        return result != E_OUTOFMEMORY;
    }

    FakeHost host;
    std::unique_ptr<Instance> instance = std::make_unique<Instance>();
};

TEST_F(EditorBaseTest, RegistersWithThePluginAndAnswersItsRectBeforeAndAfterOpen)
{
    AEffect* record = instance->plugin->getAeffect();
    EXPECT_TRUE(record->flags & effFlagsHasEditor);
    EXPECT_EQ(instance->plugin->getEditor(), instance->editor);

    AEffGUIEditor bare(nullptr);
    ERect* rect = nullptr;
    EXPECT_TRUE(bare.getRect(&rect));
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top + rect->left + rect->bottom + rect->right, 0);

    for (int opened = 0; opened < 2; ++opened)
    {
        rect = nullptr;
        EXPECT_EQ(instance->call(effEditGetRect, 0, &rect), 1);
        ASSERT_EQ(rect, &editor().rect);
        EXPECT_EQ(rect->right, TestEditor::kWidth);
        EXPECT_EQ(rect->bottom, TestEditor::kHeight);
        openWindowless();
    }
}

TEST_F(EditorBaseTest, KeysAndTheWheelWithTheWindowClosedAreNotUsedAndTheKeyIsLeftAlone)
{
    VstKeyCode key{'a', 2, 1};
    EXPECT_FALSE(editor().onKeyDown(key));
    EXPECT_FALSE(editor().onKeyUp(key));
    EXPECT_FALSE(editor().onWheel(1.0f));
    EXPECT_EQ(key.character, 'a');
    EXPECT_EQ(key.virt, 2);
    EXPECT_EQ(key.modifier, 1);
    EXPECT_EQ(instance->call(effEditIdle), 0);
    EXPECT_EQ(instance->call(effEditClose), 0);
    EXPECT_TRUE(journal().empty());
}

TEST_F(EditorBaseTest, TheKnobModeIsOneForTheWholeModule)
{
    Instance other;
    EXPECT_TRUE(editor().setKnobMode(5));
    EXPECT_EQ(other.editor->getKnobMode(), 5);
    EXPECT_EQ(AEffGUIEditor::moduleKnobMode(), 5);
    EXPECT_EQ(other.call(effSetEditKnobMode, 2), 1);
    EXPECT_EQ(editor().getKnobMode(), 2);
}

TEST_F(EditorBaseTest, GesturesAndResizingAreAskedOfTheHost)
{
    std::string capability;
    host.onRequest = [&](const probes::Request& r)
    {
        if (r.opcode == audioMasterCanDo)
            capability = static_cast<const char*>(r.ptr);
    };
    host.answer = 1;
    EXPECT_TRUE(editor().beginEdit(4));
    EXPECT_TRUE(editor().endEdit(4));
    EXPECT_TRUE(editor().sizeWindow(320, 240));
    ASSERT_EQ(host.requests.size(), 4u);
    EXPECT_EQ(host.requests[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(host.requests[0].index, 4);
    EXPECT_EQ(host.requests[1].opcode, audioMasterEndEdit);
    EXPECT_EQ(host.requests[2].opcode, audioMasterCanDo);
    EXPECT_EQ(capability, "sizeWindow");
    EXPECT_EQ(host.requests[3].opcode, audioMasterSizeWindow);
    EXPECT_EQ(host.requests[3].index, 320);
    EXPECT_EQ(host.requests[3].value, 240);

    host.answer = 0;
    host.requests.clear();
    EXPECT_FALSE(editor().beginEdit(4));
    EXPECT_FALSE(editor().sizeWindow(320, 240)); // the host cannot: it is not asked to
    EXPECT_EQ(requestsOf(host, audioMasterSizeWindow), 0);
}

// The pacing of a modal loop that calls doIdleStuff without pause, starting at different points of
// the tick counter, some of which wrap during the loop.
class IdlePacing : public EditorBaseTest, public ::testing::WithParamInterface<uint32_t>
{
};

TEST_P(IdlePacing, OnePassEveryFiftyMillisecondsAndFourMillisecondSleepsBetween)
{
    const uint32_t start = GetParam();
    TestEditor& e = editor();
    std::vector<uint32_t> passes;
    host.onRequest = [&](const probes::Request& r)
    {
        if (r.opcode == audioMasterIdle)
        {
            EXPECT_TRUE(e.inIdleStuff);
            passes.push_back(e.now);
        }
    };
    e.now = start;
    e.lLastTicks = start;
    e.doIdleStuff(); // at lLastTicks: a pass at once, without sleeping
    EXPECT_TRUE(e.sleeps.empty());
    EXPECT_FALSE(e.inIdleStuff);
    e.now += 10;
    e.doIdleStuff(); // 10 ms later: a sleep and nothing else
    EXPECT_EQ(e.sleeps, std::vector<uint32_t>{4});
    ASSERT_EQ(passes.size(), 1u);

    // After a pass at t, calls before t + 46 sleep and return; the first call at or after t + 46
    // sleeps and runs the next pass, at t + 50 to t + 53.
    while (passes.size() < 12)
        e.doIdleStuff();
    for (size_t i = 1; i < passes.size(); ++i)
    {
        const uint32_t interval = passes[i] - passes[i - 1];
        EXPECT_GE(interval, 50u) << "pass " << i;
        EXPECT_LE(interval, 53u) << "pass " << i;
    }
    for (uint32_t slept : e.sleeps)
        ASSERT_EQ(slept, 4u);

    // A counter that jumped back (or a loop left for more than 100 ms) runs a pass at once.
    e.now = e.lLastTicks - 500;
    e.sleeps.clear();
    e.doIdleStuff();
    EXPECT_EQ(passes.size(), 13u);
    EXPECT_TRUE(e.sleeps.empty());
}

INSTANTIATE_TEST_SUITE_P(TickCounter, IdlePacing,
                         ::testing::Values(1000u, 0xFFFFFFFFu - 30, 0xFFFFFFFFu - 120,
                                           0xFFFFFFFFu - 549));

TEST_F(EditorBaseTest, IdleFromInsideTheHostsIdleRequestDoesNothing)
{
    CFrame* frame = openWindowless();
    CView* green = frame->getView(1);
    host.onRequest = [&](const probes::Request& r)
    {
        if (r.opcode != audioMasterIdle)
            return;
        green->setDirty(true);
        instance->call(effEditIdle);
        journal().push_back("host idle done");
    };
    frame->getView(0)->setDirty(true);
    editor().doIdleStuff();
    EXPECT_EQ(journal(), (Journal{"red.draw", "host idle done"}));
    instance->call(effEditIdle);
    EXPECT_EQ(journal().back(), "green.draw");
}

// The host closes the editor, or the whole plug-in, from inside the idle request of a loop that a
// click started: the frame and its views stay until the click's call has returned.
class ClosedFromInsideALoop : public EditorBaseTest, public ::testing::WithParamInterface<bool>
{
};

TEST_P(ClosedFromInsideALoop, TheFrameWaitsForTheLoopToReturn)
{
    const bool wholePlugin = GetParam();
    CFrame* frame = openWindowless();
    host.onRequest = closeOnIdle(*instance, wholePlugin);
    {
        CFrame::EventScope click(frame);
        frame->mouse(nullptr, CPoint(10, 150), toolkit::kLButton);
        EXPECT_EQ(journal(), (Journal{"loop.end 1"}));
        EXPECT_FALSE(frame->isOpen());
        EXPECT_EQ(liveViews(), 3); // still whole for whoever is on the stack
    }
    EXPECT_EQ(liveViews(), 0);
    // The gesture ends at the host as long as there is an editor to end it through.
    EXPECT_EQ(requestsOf(host, audioMasterEndEdit), wholePlugin ? 0 : 1);
    if (!wholePlugin)
    {
        EXPECT_EQ(editor().getFrame(), nullptr);
        openWindowless();
        EXPECT_EQ(liveViews(), 3);
    }
}

INSTANTIATE_TEST_SUITE_P(EditorOrPlugin, ClosedFromInsideALoop, ::testing::Bool());

// A host that closes the plug-in without closing the editor first leaves nothing behind.
TEST_F(EditorBaseTest, ThePluginClosedWithTheWindowOpenTakesTheFrameWithIt)
{
    openWindowless();
    EXPECT_EQ(liveViews(), 3);
    instance.reset();
    EXPECT_EQ(liveViews(), 0);
}

TEST_F(EditorBaseTest, TheEditorLeavesOleAloneAndTheFrameGivesBackWhatItTook)
{
    ASSERT_FALSE(oleInitialised());
    { // a second editor made and destroyed with its plug-in: the host's thread keeps its state
        Instance other;
    }
    EXPECT_FALSE(oleInitialised());
    openWindowless();
    EXPECT_TRUE(oleInitialised());
    instance->call(effEditClose);
    EXPECT_FALSE(oleInitialised());
}

} // namespace
} // namespace editortest
