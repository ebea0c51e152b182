// The plug-in's editor end to end, as a musician meets it in a Linux host: the built module
// loaded through its entry, its editor in a top-level window on an Xvfb of the test's own, idled
// every 20 ms on the test's thread (the host's GUI thread) while an audio thread processes, and
// real input through XTEST from a third thread, so that input keeps coming while the GUI thread
// sits in a knob's loop. What the window shows is read back from the server and compared with
// the same editor drawn without a window.
#include "tests/platform/WindowTestKit.h"

#include "tests/editor/EditorPicture.h"
#include "tests/editor/InputThread.h"
#include "tests/editor/ModuleHost.h"
#include "tests/editor/OpeningCycles.h"

#include <X11/keysym.h>

#include <functional>
#include <memory>
#include <string>

namespace editortest
{
namespace
{

using qev::test::HostClient;
using qev::test::Image;
using qev::test::waitUntil;
using std::chrono::milliseconds;

constexpr int kEditorWidth = 521;
constexpr int kEditorHeight = 166;
constexpr int kIdlePeriodMs = 20;

void pause(int ms)
{
    std::this_thread::sleep_for(milliseconds(ms));
}

// Plays the user's hand on a client of its own, on a thread of its own.
class HandThread : public InputThread
{
public:
    HandThread(const std::string& display, const std::function<void(HostClient&)>& script)
        : InputThread(
              [display, script]
              {
                  HostClient hand(display);
                  script(hand);
              })
    {
    }
};

class PluginEditorTest : public qev::test::WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        // Away from the screen's edges, which would stop a drag.
        XMoveWindow(host_->display(), top_, 200, 300);
        host_->sync();
        ASSERT_TRUE(module.loaded()) << module.error();
        plugin = std::make_unique<HostedPlugin>(module);
        ASSERT_NE(plugin->effect, nullptr);
        plugin->startAudio();
    }
    void TearDown() override
    {
        plugin.reset();
        WindowTest::TearDown();
    }

    // Asks the size before and after opening, as hosts do, and opens in `parent`.
    void openEditor(HostedPlugin& p, Window parent)
    {
        ERect* rect = nullptr;
        ASSERT_EQ(p.dispatch(effEditGetRect, 0, 0, &rect), 1);
        ASSERT_NE(rect, nullptr);
        EXPECT_EQ(rect->right - rect->left, kEditorWidth);
        EXPECT_EQ(rect->bottom - rect->top, kEditorHeight);
        ASSERT_EQ(p.dispatch(effEditOpen, 0, 0, HostClient::hwnd(parent)), 1);
        rect = nullptr;
        ASSERT_EQ(p.dispatch(effEditGetRect, 0, 0, &rect), 1);
        ASSERT_NE(rect, nullptr);
        EXPECT_EQ(rect->right, kEditorWidth);
    }

    // Opens the editor of the main instance and idles until it shows its values; the host's
    // record starts afresh.
    void openSettled()
    {
        openEditor(*plugin, top_);
        ASSERT_TRUE(showsAfterIdling(valuesOf(*plugin), top_));
        host.clear();
    }

    // The host's GUI thread: an idle every 20 ms until `done` holds or five seconds passed.
    bool idleUntil(const std::function<bool()>& done, HostedPlugin* p = nullptr)
    {
        HostedPlugin& which = p ? *p : *plugin;
        const Clock::time_point end = Clock::now() + milliseconds(5000);
        while (Clock::now() < end)
        {
            which.dispatch(effEditIdle);
            if (done())
                return true;
            pause(kIdlePeriodMs);
        }
        return false;
    }
    void idleFor(int ms, HostedPlugin* p = nullptr)
    {
        const Clock::time_point end = Clock::now() + milliseconds(ms);
        idleUntil([&] { return Clock::now() >= end; }, p);
    }

    // What the server shows of the editor in the top-level window `top`.
    Image shown(Window top)
    {
        host_->sync();
        const qev::test::ServerPixels pixels =
            host_->readPixels(top, 0, 0, kEditorWidth, kEditorHeight);
        Image image(pixels.width, pixels.height);
        image.pixels = pixels.pixels;
        return image;
    }
    // Idles until the window shows what the editor of these values looks like.
    ::testing::AssertionResult showsAfterIdling(const ParameterValues& values, Window top,
                                                HostedPlugin* p = nullptr)
    {
        const Image expected = windowlessPicture(values);
        idleUntil([&] { return shown(top) == expected; }, p);
        return qev::test::sameImage(shown(top), expected, "editor-window");
    }
    ParameterValues valuesOf(HostedPlugin& p)
    {
        ParameterValues values{};
        for (int i = 0; i < qev::kNumParams; ++i)
            values[i] = p.get(i);
        return values;
    }
    POINT screenPointIn(Window top, int x, int y) const
    {
        const POINT origin = host_->screenOrigin(top);
        return POINT{origin.x + x, origin.y + y};
    }
    bool onGuiThread(const std::vector<HostRequest>& requests) const
    {
        for (const HostRequest& r : requests)
            if (r.thread != std::this_thread::get_id())
                return false;
        return true;
    }

    RecordingHost host;
    qev::test::LoadedModule module{QEV_MODULE_PATH};
    std::unique_ptr<HostedPlugin> plugin;
};

// What the window shows is the windowless picture, pixel for pixel, for values inside and
// outside the menus' entries (the menus show the entry the engine runs), at every idle.
class ScreenshotTest : public PluginEditorTest,
                       public ::testing::WithParamInterface<ParameterValues>
{
};

ParameterValues withValues(std::initializer_list<std::pair<int, float>> changes)
{
    QevVst factory(&silentHost); // program 0
    ParameterValues values{};
    for (int i = 0; i < qev::kNumParams; ++i)
        values[i] = factory.getParameter(i);
    for (const auto& change : changes)
        values[change.first] = change.second;
    return values;
}

TEST_P(ScreenshotTest, TheWindowShowsTheWindowlessPictureAtOpenAndAtEveryIdle)
{
    const ParameterValues& values = GetParam();
    for (int i = 0; i < qev::kNumParams; ++i)
        plugin->set(i, values[i]);
    openEditor(*plugin, top_);
    EXPECT_TRUE(showsAfterIdling(values, top_));
    for (int i = 0; i < 5; ++i)
    {
        plugin->dispatch(effEditIdle);
        EXPECT_TRUE(qev::test::sameImage(shown(top_), windowlessPicture(values), "editor-idle"));
    }
    plugin->dispatch(effEditClose);
    syncBoth();
    EXPECT_TRUE(host_->childrenOf(top_).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Values, ScreenshotTest,
    ::testing::Values(
        withValues({}),
        withValues({{1, 0.3f}, {3, 0.1f}, {4, 0.9f}, {5, 1.0f}, {7, 0.0f}, {2, 12.0f}, {6, 1.0f}}),
        withValues({{2, 13.0f}, {6, 3.0f}, {9, 7.5f}, {8, -2.0f}}),
        withValues({{2, 0.5f}, {6, 0.5f}})));

// The mended menus: TYPE 3.0 runs three stages and shows "6", SYNC 13 runs "2/1T".
TEST(EditorPictureTest, OutOfRangeMenuValuesShowTheEntriesTheEngineRuns)
{
    EXPECT_EQ(windowlessPicture(withValues({{6, 3.0f}})),
              windowlessPicture(withValues({{6, 2.0f}})));
    EXPECT_EQ(windowlessPicture(withValues({{2, 13.0f}})),
              windowlessPicture(withValues({{2, 12.0f}})));
    EXPECT_FALSE(windowlessPicture(withValues({{6, 3.0f}})) ==
                 windowlessPicture(withValues({{6, 0.0f}})));
}

// SPEED's knob: 27, 26, 49 x 49.
constexpr int kSpeedX = 27 + 24;
constexpr int kSpeedY = 26 + 24;

struct DragCase
{
    const char* name;
    bool shift;
    float change;
};

class KnobDragTest : public PluginEditorTest, public ::testing::WithParamInterface<DragCase>
{
};

TEST_P(KnobDragTest, ADragOf100PixelsUpIsOneGestureWithTheHostIdledAbout20TimesASecond)
{
    const DragCase drag = GetParam();
    plugin->set(1, 0.25f);
    ASSERT_NO_FATAL_FAILURE(openSettled());

    const POINT at = screenPointIn(top_, kSpeedX, kSpeedY);
    HandThread hand(server_->displayName(),
                    [&](HostClient& c)
                    {
                        c.moveTo(at.x, at.y);
                        pause(60);
                        if (drag.shift)
                            c.keyDown(XK_Shift_L);
                        c.press(1);
                        pause(100);
                        for (int step = 1; step <= 20; ++step)
                        {
                            c.moveTo(at.x, at.y - 5 * step);
                            pause(25);
                        }
                        pause(200);
                        c.release(1);
                        if (drag.shift)
                            c.keyUp(XK_Shift_L);
                    });
    EXPECT_TRUE(idleUntil([&] { return hand.done(); }));
    idleFor(100);

    EXPECT_NEAR(plugin->get(1), 0.25f + drag.change, 1e-5f);
    const std::vector<HostRequest> begins = host.of(audioMasterBeginEdit);
    const std::vector<HostRequest> ends = host.of(audioMasterEndEdit);
    const std::vector<HostRequest> automation = host.of(audioMasterAutomate);
    ASSERT_EQ(begins.size(), 1u);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(begins[0].index, 1);
    EXPECT_EQ(ends[0].index, 1);
    ASSERT_FALSE(automation.empty());
    for (const HostRequest& r : automation)
    {
        EXPECT_EQ(r.index, 1);
        EXPECT_GE(r.when, begins[0].when);
        EXPECT_LE(r.when, ends[0].when);
    }
    EXPECT_FLOAT_EQ(automation.back().opt, plugin->get(1));
    EXPECT_TRUE(onGuiThread(begins) && onGuiThread(ends) && onGuiThread(automation));

    // The host's idle kept coming during the drag, about every 50 ms.
    std::vector<Clock::time_point> idles;
    for (const HostRequest& r : host.of(audioMasterIdle))
        if (r.when >= begins[0].when && r.when <= ends[0].when)
            idles.push_back(r.when);
    const auto dragMs =
        std::chrono::duration_cast<milliseconds>(ends[0].when - begins[0].when).count();
    ASSERT_GE(dragMs, 500);
    EXPECT_GE(static_cast<long>(idles.size()), dragMs / 50 / 2) << "over " << dragMs << " ms";
    for (size_t i = 1; i < idles.size(); ++i)
    {
        const auto gap = std::chrono::duration_cast<milliseconds>(idles[i] - idles[i - 1]).count();
        EXPECT_GE(gap, 30) << "idle " << i;
        EXPECT_LE(gap, 150) << "idle " << i;
    }
    EXPECT_TRUE(showsAfterIdling(valuesOf(*plugin), top_));
    plugin->dispatch(effEditClose);
}

INSTANTIATE_TEST_SUITE_P(PlainAndFine, KnobDragTest,
                         ::testing::Values(DragCase{"plain", false, 0.5f},
                                           DragCase{"shift", true, 100.0f / 300.0f}),
                         [](const auto& info) { return std::string(info.param.name); });

// The host removes the plug-in from its idle request in the middle of a drag that the user goes
// on with: the drag ends without reaching the editor that is gone, and the window goes with it.
TEST_F(PluginEditorTest, TheHostClosingThePluginDuringAKnobDragEndsTheDragQuietly)
{
    ASSERT_NO_FATAL_FAILURE(openSettled());
    const std::function<void()> closePlugin = [&]
    {
        if (plugin->effect)
            plugin->close();
    };
    host.onIdle.store(&closePlugin);
    const POINT at = screenPointIn(top_, kSpeedX, kSpeedY);
    HandThread hand(server_->displayName(),
                    [&](HostClient& c)
                    {
                        c.moveTo(at.x, at.y);
                        pause(60);
                        c.press(1);
                        for (int step = 1; step <= 20; ++step)
                        {
                            c.moveTo(at.x, at.y - 5 * step);
                            pause(20);
                        }
                        c.release(1);
                    });
    const Clock::time_point end = Clock::now() + milliseconds(5000);
    while (!hand.done() && Clock::now() < end)
    {
        if (plugin->effect)
            plugin->dispatch(effEditIdle);
        pause(kIdlePeriodMs);
    }
    host.onIdle.store(nullptr);
    EXPECT_EQ(plugin->effect, nullptr);
    EXPECT_EQ(host.of(audioMasterBeginEdit).size(), 1u);
    EXPECT_EQ(host.of(audioMasterIdle).size(), 1u);
    syncBoth();
    EXPECT_TRUE(host_->childrenOf(top_).empty());
}

TEST_F(PluginEditorTest, TheWheelStepsAKnobAndControlClickResetsIt)
{
    plugin->set(1, 0.25f);
    ASSERT_NO_FATAL_FAILURE(openSettled());
    const POINT at = screenPointIn(top_, kSpeedX, kSpeedY);
    {
        HandThread hand(server_->displayName(),
                        [&](HostClient& c)
                        {
                            c.moveTo(at.x, at.y);
                            pause(50);
                            c.click(at.x, at.y, 4); // one notch up
                        });
        EXPECT_TRUE(idleUntil([&] { return hand.done() && plugin->get(1) != 0.25f; }));
    }
    EXPECT_NEAR(plugin->get(1), 0.35f, 1e-6f);
    {
        HandThread hand(server_->displayName(),
                        [&](HostClient& c)
                        {
                            c.keyDown(XK_Control_L);
                            c.click(at.x, at.y, 1);
                            c.keyUp(XK_Control_L);
                        });
        EXPECT_TRUE(idleUntil([&] { return hand.done() && plugin->get(1) == 0.5f; }));
    }
    EXPECT_EQ(plugin->get(1), 0.5f);
    EXPECT_EQ(host.of(audioMasterBeginEdit).size(), 2u);
    EXPECT_EQ(host.of(audioMasterEndEdit).size(), 2u);
    EXPECT_EQ(host.of(audioMasterAutomate).size(), 2u);
    EXPECT_TRUE(showsAfterIdling(valuesOf(*plugin), top_));
    plugin->dispatch(effEditClose);
}

// A click on SYNC opens its pop-up; a click on "1/8" sends the entry's index as automation, in
// one gesture, and the menu shows it.
TEST_F(PluginEditorTest, ChoosingOneEighthInTheSyncMenuAutomatesParameter2To2)
{
    plugin->set(2, 0.0f);
    ASSERT_NO_FATAL_FAILURE(openSettled());
    const POINT menu = screenPointIn(top_, 26 + 10, 106 + 8);
    HandThread hand(server_->displayName(),
                    [&](HostClient& c)
                    {
                        c.click(menu.x, menu.y);
                        std::vector<Window> popups;
                        waitUntil(
                            [&]
                            {
                                popups = c.popupWindows();
                                return !popups.empty();
                            },
                            [] { pause(10); });
                        if (popups.empty())
                            return;
                        Window root = 0;
                        int x = 0, y = 0;
                        unsigned width = 0, height = 0, border = 0, depth = 0;
                        XGetGeometry(c.display(), popups[0], &root, &x, &y, &width, &height,
                                     &border, &depth);
                        const int frame = (static_cast<int>(height) - 13 * 18) / 2;
                        const POINT origin = c.screenOrigin(popups[0]);
                        pause(100);
                        c.click(origin.x + 20, origin.y + frame + 2 * 18 + 9);
                    });
    EXPECT_TRUE(idleUntil([&] { return hand.done() && plugin->get(2) == 2.0f; }));
    EXPECT_EQ(plugin->get(2), 2.0f);
    const std::vector<HostRequest> automation = host.of(audioMasterAutomate);
    ASSERT_EQ(automation.size(), 1u);
    EXPECT_EQ(automation[0].index, 2);
    EXPECT_EQ(automation[0].opt, 2.0f);
    EXPECT_EQ(host.of(audioMasterBeginEdit).size(), 1u);
    EXPECT_EQ(host.of(audioMasterEndEdit).size(), 1u);
    EXPECT_TRUE(onGuiThread(automation));
    EXPECT_TRUE(showsAfterIdling(valuesOf(*plugin), top_));
    syncBoth();
    EXPECT_TRUE(host_->popupWindows().empty());
    plugin->dispatch(effEditClose);
}

// The host plays automation on its audio thread: the window follows at the next idle and
// nothing goes back to the host; parameters without a control change nothing in the window.
TEST_F(PluginEditorTest, AutomationFromTheAudioThreadShowsAtTheNextIdleWithoutAnEcho)
{
    openEditor(*plugin, top_);
    ASSERT_TRUE(showsAfterIdling(valuesOf(*plugin), top_));
    const Image before = shown(top_);
    host.clear();

    for (int index : {0, 10, 11, 16, 22})
        plugin->automateFromAudio(index, 0.77f);
    idleFor(100);
    EXPECT_TRUE(qev::test::sameImage(shown(top_), before, "automation-without-control"));

    plugin->automateFromAudio(1, 0.9f);
    plugin->automateFromAudio(2, 6.0f);
    plugin->automateFromAudio(6, 2.0f);
    plugin->dispatch(effEditIdle);
    EXPECT_TRUE(
        qev::test::sameImage(shown(top_), windowlessPicture(valuesOf(*plugin)), "automation"));
    idleFor(100);
    EXPECT_TRUE(host.of(audioMasterAutomate).empty());
    EXPECT_TRUE(host.of(audioMasterBeginEdit).empty());
    EXPECT_TRUE(host.of(audioMasterEndEdit).empty());
    plugin->dispatch(effEditClose);
}

TEST_F(PluginEditorTest, AChangeWhileClosedShowsAtTheNextOpen)
{
    openEditor(*plugin, top_);
    ASSERT_TRUE(showsAfterIdling(valuesOf(*plugin), top_));
    plugin->dispatch(effEditClose);
    plugin->set(4, 0.05f);
    plugin->automateFromAudio(6, 0.0f);
    openEditor(*plugin, top_);
    EXPECT_TRUE(showsAfterIdling(valuesOf(*plugin), top_));
    plugin->dispatch(effEditClose);
}

TEST_F(PluginEditorTest, TheHostDestroyingItsWindowBeforeCloseLeavesNoErrorAndOpensAgain)
{
    openEditor(*plugin, top_);
    ASSERT_TRUE(showsAfterIdling(valuesOf(*plugin), top_));
    host_->destroy(top_);
    idleFor(200);
    plugin->dispatch(effEditClose);
    plugin->dispatch(effEditIdle);

    top_ = host_->createTopLevel(640, 400);
    openEditor(*plugin, top_);
    EXPECT_TRUE(showsAfterIdling(valuesOf(*plugin), top_));
    plugin->dispatch(effEditClose);
    syncBoth();
    EXPECT_TRUE(host_->childrenOf(top_).empty());
}

TEST_F(PluginEditorTest, TwoInstancesWithEditorsOpenAtOnceEachShowAndTakeTheirOwn)
{
    HostedPlugin other(module);
    ASSERT_NE(other.effect, nullptr);
    other.startAudio();
    other.set(9, 0.1f);
    const Window otherTop = host_->createTopLevel(640, 400);
    XMoveWindow(host_->display(), otherTop, 0, 500); // below the first, not over it
    host_->sync();
    openEditor(*plugin, top_);
    openEditor(other, otherTop);
    EXPECT_TRUE(showsAfterIdling(valuesOf(*plugin), top_));
    EXPECT_TRUE(showsAfterIdling(valuesOf(other), otherTop, &other));

    const POINT at = screenPointIn(otherTop, 442 + 24, 26 + 24); // VOLUME of the second
    {
        HandThread hand(server_->displayName(),
                        [&](HostClient& c)
                        {
                            c.keyDown(XK_Control_L);
                            c.click(at.x, at.y, 1);
                            c.keyUp(XK_Control_L);
                        });
        // Whichever editor the host idles, every window's input is handled.
        EXPECT_TRUE(idleUntil([&] { return hand.done() && other.get(9) == 0.5f; }));
    }
    EXPECT_NE(plugin->get(9), 0.5f);
    EXPECT_TRUE(showsAfterIdling(valuesOf(other), otherTop, &other));
    EXPECT_TRUE(showsAfterIdling(valuesOf(*plugin), top_));
    plugin->dispatch(effEditClose);
    EXPECT_TRUE(showsAfterIdling(valuesOf(other), otherTop, &other));
    other.dispatch(effEditClose);
    syncBoth();
    EXPECT_TRUE(host_->childrenOf(otherTop).empty());
}

TEST_F(PluginEditorTest, AHundredOpeningsLeaveNoServerResourcesDescriptorsOrHeapBehind)
{
    plugin->stopAudio(); // its requests would grow the host's record, not the editor
    auto cycle = [&]
    {
        ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, HostClient::hwnd(top_)), 1);
        plugin->dispatch(effEditIdle);
        plugin->set(1, plugin->get(1) == 0.5f ? 0.25f : 0.5f);
        plugin->dispatch(effEditIdle);
        plugin->dispatch(effEditClose);
    };
    // While another instance's editor keeps the module's connection, what the server holds
    // for it must not grow.
    HostedPlugin keeper(module);
    const Window keeperTop = host_->createTopLevel(640, 400);
    ASSERT_EQ(keeper.dispatch(effEditOpen, 0, 0, HostClient::hwnd(keeperTop)), 1);
    keeper.dispatch(effEditIdle);
    syncBoth();
    const Window keeperWindow = host_->childrenOf(keeperTop).at(0);
    expectCyclesKeepServerResources(*host_, keeperWindow, cycle, [&] { host_->sync(); });
    keeper.dispatch(effEditClose);
    expectCyclesLeaveNothing(*host_, cycle);
}

} // namespace
} // namespace editortest
