// The stress test's threads (audio, automation, host reads) with the host's GUI thread beside
// them: the plug-in's editor opened in the host's window, idled every 10 ms for a random while
// and closed, again and again, while a hand of its own drags, clicks and opens menus in it
// through XTEST. Run under AddressSanitizer and ThreadSanitizer in CI: nothing may be reported,
// the audio stays finite, every gesture ends, no X error reaches the host, and afterwards the
// editor still opens showing exactly the values the plug-in holds.
#include "tests/platform/WindowTestKit.h"

#include "tests/editor/EditorPicture.h"
#include "tests/editor/InputThread.h"
#include "tests/plugin/StressThreads.h"

#include <X11/keysym.h>

#include <chrono>
#include <string>

namespace
{

using qev::test::HostClient;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

constexpr int kEditorWidth = 521;
constexpr int kEditorHeight = 166;

// Random drags, clicks and Escape taps inside the editor's area of the host's window until
// stopped; Escape ends any menu left open, and every press is released.
void playRandomInput(const std::string& display, POINT origin, unsigned seed,
                     const std::atomic<bool>& stop)
{
    HostClient hand(display);
    std::mt19937 rng(seed);
    while (!stop)
    {
        const int x = origin.x + static_cast<int>(rng() % kEditorWidth);
        const int y = origin.y + static_cast<int>(rng() % kEditorHeight);
        hand.moveTo(x, y);
        switch (rng() % 4)
        {
        case 0:
            hand.tapKey(XK_Escape);
            break;
        case 1:
            hand.click(x, y);
            break;
        default:
            hand.press(1);
            for (int step = 1; step <= 5; ++step)
            {
                hand.moveTo(x, y - step * (static_cast<int>(rng() % 17) - 8));
                std::this_thread::sleep_for(milliseconds(4));
            }
            hand.release(1);
        }
        std::this_thread::sleep_for(milliseconds(5 + rng() % 15));
    }
    hand.tapKey(XK_Escape);
}

class ConcurrencyStressWithEditor : public qev::test::WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        // Away from the screen's edges, which would stop a drag.
        XMoveWindow(host_->display(), top_, 200, 300);
        host_->sync();
    }

    void openEditor(ModuleHost& host)
    {
        ERect* rect = nullptr;
        host.dispatch(effEditGetRect, 0, 0, &rect);
        host.dispatch(effEditOpen, 0, 0, hostWindow());
    }

    qev::test::Image shown()
    {
        host_->sync();
        const qev::test::ServerPixels pixels =
            host_->readPixels(top_, 0, 0, kEditorWidth, kEditorHeight);
        qev::test::Image image(pixels.width, pixels.height);
        image.pixels = pixels.pixels;
        return image;
    }
};

TEST_F(ConcurrencyStressWithEditor, TheEditorOpensIdlesAndClosesWhileTheOtherThreadsRun)
{
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    ModuleHost host;
    ASSERT_NE(host.open(), nullptr);
    int openings = 0;
    {
        stress::StressThreads threads(host, seed);
        std::atomic<bool> stopHand{false};
        const POINT origin = host_->screenOrigin(top_);
        editortest::InputThread hand(
            [&] { playRandomInput(server_->displayName(), origin, seed + 3, stopHand); });
        std::mt19937 rng(seed + 4);
        const Clock::time_point end = Clock::now() + milliseconds(1500);
        while (Clock::now() < end || openings < 4)
        {
            openEditor(host);
            ++openings;
            for (int idles = 5 + static_cast<int>(rng() % 30); idles > 0; --idles)
            {
                host.dispatch(effEditIdle);
                std::this_thread::sleep_for(milliseconds(10));
            }
            host.dispatch(effEditClose);
        }
        stopHand = true;
        threads.finish();
        EXPECT_TRUE(threads.finite);
        EXPECT_TRUE(threads.terminated);
        EXPECT_GT(threads.blocks, 10);
    }
    EXPECT_GT(host.beginEdits, 0) << "the hand never reached a control";
    EXPECT_EQ(host.beginEdits, host.endEdits);

    // The storm left a plug-in whose editor shows what it holds.
    editortest::ParameterValues values{};
    for (int i = 0; i < qev::kNumParams; ++i)
        values[i] = host.effect->getParameter(host.effect, i);
    const qev::test::Image expected = editortest::windowlessPicture(values);
    openEditor(host);
    qev::test::waitUntil([&] { return shown() == expected; }, [&] { host.dispatch(effEditIdle); });
    EXPECT_TRUE(qev::test::sameImage(shown(), expected, "editor-after-stress"));
    host.dispatch(effEditClose);
}

} // namespace
