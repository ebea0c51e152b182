// The editor base as Linux hosts drive it, on real windows in an Xvfb of the test's own: the
// orders in which hosts open, idle and close, the host destroying its window first, two editors
// at once, closing from inside a knob drag or a pop-up menu, and leaks over many openings.
#include "tests/platform/WindowTestKit.h"

#include "tests/editor/EditorTestKit.h"
#include "tests/editor/OpeningCycles.h"

#include <memory>

namespace editortest
{
namespace
{

using qev::test::HostClient;
using qev::test::waitUntil;
using Journal = std::vector<std::string>;

class EditorHostTest : public qev::test::WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        journal().clear();
        instance = std::make_unique<Instance>();
    }
    void TearDown() override
    {
        instance.reset();
        EXPECT_EQ(liveViews(), 0) << "views left alive";
        WindowTest::TearDown();
    }

    VstIntPtr open(Instance& i, HWND parent) { return i.call(effEditOpen, 0, parent); }
    HWND frameWindow(Instance& i) const { return i.editor->getFrame()->getWindow(); }
    // Idles the editor as a host does until the condition holds.
    bool idleUntil(const std::function<bool()>& done, Instance* i = nullptr)
    {
        Instance* which = i ? i : instance.get();
        return waitUntil(done, [&] { which->call(effEditIdle); });
    }
    // Opened and painted: the first exposure has been handled.
    void openAndPaint(Instance& i, HWND parent)
    {
        ASSERT_EQ(open(i, parent), 1);
        syncBoth();
        RECT r;
        ASSERT_TRUE(idleUntil([&] { return !GetUpdateRect(frameWindow(i), &r, FALSE); }, &i));
        journal().clear();
    }
    void clickAt(Instance& i, int x, int y)
    {
        const POINT at = screenPoint(frameWindow(i), x, y);
        host_->click(at.x, at.y);
    }

    FakeHost host;
    std::unique_ptr<Instance> instance;
};

TEST_F(EditorHostTest, OpenTwiceCloseWithoutOpenAndIdleWithoutAWindowAreSafe)
{
    EXPECT_EQ(instance->call(effEditClose), 0);
    EXPECT_EQ(instance->call(effEditIdle), 0);
    ERect* rect = nullptr;
    EXPECT_EQ(instance->call(effEditGetRect, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right, TestEditor::kWidth);

    openAndPaint(*instance, hostWindow());
    ASSERT_EQ(open(*instance, hostWindow()), 1); // without a close: the first window goes first
    EXPECT_EQ(liveViews(), 3);
    syncBoth();
    EXPECT_EQ(host_->childrenOf(top_),
              std::vector<Window>{HostClient::xid(frameWindow(*instance))});
    EXPECT_EQ(instance->call(effEditGetRect, 0, &rect), 1);
    EXPECT_EQ(rect->bottom, TestEditor::kHeight);

    instance->call(effEditClose);
    instance->call(effEditClose);
    syncBoth();
    EXPECT_TRUE(host_->childrenOf(top_).empty());
}

// With nothing changed, the host's idle asks nothing of the X server.
TEST_F(EditorHostTest, AnIdleEditorSendsNoRequest)
{
    openAndPaint(*instance, hostWindow());
    const unsigned long requests = qev::platform::windowSystemRequests();
    for (int i = 0; i < 20; ++i)
        instance->call(effEditIdle);
    EXPECT_EQ(qev::platform::windowSystemRequests(), requests);
    instance->editor->getFrame()->getView(0)->setDirty(true);
    instance->call(effEditIdle);
    EXPECT_GT(qev::platform::windowSystemRequests(), requests);
    EXPECT_EQ(journal(), Journal{"red.draw"});
}

TEST_F(EditorHostTest, TwoEditorsOpenAtOnceEachTakeTheirOwnClicks)
{
    Instance other("2:");
    const Window secondTop = host_->createTopLevel(300, 200);
    XMoveWindow(host_->display(), secondTop, 500, 300); // beside the first, not over it
    host_->sync();
    openAndPaint(*instance, hostWindow());
    openAndPaint(other, HostClient::hwnd(secondTop));

    // Whichever editor the host idles, every window's input is handled.
    clickAt(*instance, 200, 50);
    clickAt(other, 20, 30);
    EXPECT_TRUE(idleUntil([] { return journal().size() == 2; }, &other));
    EXPECT_EQ(journal(), (Journal{"green.mouse 200,50 1", "2:red.mouse 20,30 1"}));

    instance->call(effEditClose);
    journal().clear();
    clickAt(other, 160, 30);
    EXPECT_TRUE(idleUntil([] { return !journal().empty(); }, &other));
    EXPECT_EQ(journal(), Journal{"2:green.mouse 160,30 1"});
    other.call(effEditClose);
}

TEST_F(EditorHostTest, TheHostDestroyingItsWindowBeforeCloseLeavesNoErrorAndNoWindow)
{
    openAndPaint(*instance, hostWindow());
    host_->destroy(top_);
    EXPECT_TRUE(idleUntil([&] { return !instance->editor->getFrame()->isOpen(); }));
    instance->call(effEditIdle);
    instance->call(effEditClose);
    EXPECT_EQ(liveViews(), 0);
    EXPECT_FALSE(qev::platform::windowSystemConnected());

    // The host opens it again in a new window.
    top_ = host_->createTopLevel(400, 300);
    openAndPaint(*instance, hostWindow());
    clickAt(*instance, 20, 20);
    EXPECT_TRUE(idleUntil([] { return !journal().empty(); }));
    instance->call(effEditClose);
}

TEST_F(EditorHostTest, AHundredOpeningsLeaveNoServerResourcesDescriptorsOrHeapBehind)
{
    auto cycle = [&]
    {
        ASSERT_EQ(open(*instance, hostWindow()), 1);
        instance->call(effEditIdle);
        qev::platform::syncWindowSystem(); // the first exposure is on its way
        instance->call(effEditIdle);
        instance->editor->getFrame()->getView(0)->setDirty(true);
        instance->call(effEditIdle);
        instance->call(effEditClose);
        journal().clear(); // the record of drawing would grow the heap, not the editor
    };
    // While a window of ours stays, the connection does too: what the server holds for it must
    // not grow.
    HWND keeper = makeChild(hostWindow(), 10, 10);
    expectCyclesKeepServerResources(*host_, HostClient::xid(keeper), cycle, [&] { syncBoth(); });
    DestroyWindow(keeper);
    expectCyclesLeaveNothing(*host_, cycle);
    EXPECT_FALSE(qev::platform::windowSystemConnected());
}

// The host closes the editor, or the plug-in, from its idle request during a drag started by a
// real click.
class ClosedDuringADrag : public EditorHostTest, public ::testing::WithParamInterface<bool>
{
};

TEST_P(ClosedDuringADrag, TheDragEndsAndTheWindowGoesAfterIt)
{
    const bool wholePlugin = GetParam();
    openAndPaint(*instance, hostWindow());
    host.onRequest = closeOnIdle(*instance, wholePlugin);
    const POINT at = screenPoint(frameWindow(*instance), 100, 150);
    host_->moveTo(at.x, at.y);
    host_->press(1);
    waitUntil([] { return !journal().empty(); },
              [&]
              {
                  if (instance->plugin)
                      instance->call(effEditIdle);
              });
    host_->release(1);
    EXPECT_EQ(journal(), Journal{"loop.end 1"});
    EXPECT_EQ(liveViews(), 0);
    EXPECT_EQ(requestsOf(host, audioMasterBeginEdit), 1);
    EXPECT_EQ(requestsOf(host, audioMasterEndEdit), wholePlugin ? 0 : 1);
    syncBoth();
    EXPECT_TRUE(host_->childrenOf(top_).empty());
}

INSTANTIATE_TEST_SUITE_P(EditorOrPlugin, ClosedDuringADrag, ::testing::Values(false, true));

// While a pop-up menu is open the host keeps getting its idle; when it closes the editor then,
// the menu goes, and the window after it.
TEST_F(EditorHostTest, APopupMenuGivesTheHostItsIdleAndClosesWithTheEditor)
{
    instance->editor->realClock = true;
    openAndPaint(*instance, hostWindow());
    instance->editor->looping->popup = true;
    int idles = 0;
    host.onRequest = [&](const probes::Request& r)
    {
        if (r.opcode == audioMasterIdle && ++idles == 3)
            instance->call(effEditClose);
    };
    clickAt(*instance, 100, 150);
    EXPECT_TRUE(idleUntil([] { return !journal().empty(); }));
    EXPECT_EQ(journal(), Journal{"loop.popup 0"});
    EXPECT_EQ(idles, 3);
    EXPECT_EQ(liveViews(), 0);
    syncBoth();
    EXPECT_TRUE(host_->popupWindows().empty());
    EXPECT_TRUE(host_->childrenOf(top_).empty());
}

} // namespace
} // namespace editortest
