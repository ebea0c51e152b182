// Knob drags played by a scripted mouse: the knob's own modal loop polls it through the platform
// layer, as it polls a real mouse.
#include "tests/toolkit/ScriptedMouse.h"
#include "toolkit/CAnimKnob.h"
#include "toolkit/CKnob.h"

#include <gtest/gtest.h>

namespace toolkit
{
namespace
{

using namespace testkit;
using Journal = std::vector<std::string>;

constexpr int32_t L = kLButton;

// Records the changes; takes over modifier clicks when told to.
class KnobListener : public RecordingListener
{
public:
    int32_t controlModifierClicked(CDrawContext*, CControl*, int32_t) override { return takes; }
    int32_t takes = 0;
};

class CountedKnob : public CKnob
{
public:
    CountedKnob(const CRect& size, CControlListener* listener)
        : CKnob(size, listener, 7, nullptr, nullptr)
    {
        ++Census::views();
    }
    ~CountedKnob() override { --Census::views(); }
};

// A 49-pixel knob at (5, 0) in a windowless frame; the tests press on it and play the rest.
class KnobDrag : public TreeTest
{
protected:
    void SetUp() override
    {
        TreeTest::SetUp();
        frame = new CFrame(CRect(0, 0, 60, 50), nullptr, &editor);
        knob = new CountedKnob(CRect(5, 0, 54, 49), &listener);
        frame->addView(knob);
        knob->setValue(0.2f);
        editor.watched = knob;
    }
    void TearDown() override
    {
        frame->forget();
        TreeTest::TearDown();
    }
    // Presses at the first step, as the window procedure does, and lets the knob play the rest.
    void play(const std::vector<MouseStep>& steps)
    {
        ScriptedMouse mouse(steps);
        CDrawContext* context = frame->createDrawContext();
        frame->mouse(context, CPoint(steps[0].x, steps[0].y), -1);
        context->forget();
    }
    // The journal of a balanced gesture with `passes` turns of the loop.
    static Journal gesture(size_t passes)
    {
        Journal expected{"editor.beginEdit 7"};
        expected.insert(expected.end(), passes, "editor.doIdleStuff");
        expected.push_back("editor.endEdit 7");
        return expected;
    }

    DragEditor editor;
    KnobListener listener;
    CFrame* frame = nullptr;
    CKnob* knob = nullptr;
};

void expectNear(const std::vector<float>& actual, const std::vector<float>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-5) << "at " << i;
}

class LinearDrag : public KnobDrag, public ::testing::WithParamInterface<int32_t>
{
};

// 100 pixels up moves the value by half the range, by a third with Shift. Each pass applies the
// position read on the pass before, so the press point is applied twice and the last position
// with the release.
TEST_P(LinearDrag, HundredPixelsUpMoveHalfTheRangeOrAThirdWithShift)
{
    const int32_t b = L | GetParam();
    const float rate = GetParam() ? 1.0f / 300 : 1.0f / 200;
    play({{20, 30, b}, {20, 20, b}, {20, 10, b}, {20, -70, b}, {20, -70, 0}});
    std::vector<float> expected;
    for (int applied : {30, 30, 20, 10, -70})
        expected.push_back(0.2f + static_cast<float>(30 - applied) * rate);
    expectNear(editor.valuesAtIdle, expected);
    expectNear(listener.changes, {expected[2], expected[3], expected[4]});
    EXPECT_EQ(journal(), gesture(5));
    EXPECT_EQ(frame->getFocusView(), knob);
}

INSTANTIATE_TEST_SUITE_P(KnobDrag, LinearDrag, ::testing::Values(0, kShift));

// The rate changes where Shift goes down or up, without a jump in the value.
TEST_F(KnobDrag, ShiftPressedMidDragKeepsTheValueContinuous)
{
    const int32_t s = L | kShift;
    play({{20, 30, L}, {20, 20, L}, {20, 20, s}, {20, 10, s}, {20, 0, s}, {20, 0, 0}});
    expectNear(listener.changes, {0.25f, 0.25f + 10.0f / 300, 0.25f + 20.0f / 300});
}

TEST_F(KnobDrag, StaysInRangePastEitherEnd)
{
    play({{20, 30, L}, {20, -400, L}, {20, 400, L}, {20, 400, 0}});
    expectNear(listener.changes, {1.0f, 0.0f});
}

struct ModeCase
{
    int32_t knobMode;
    int32_t modifier;
    bool linear;
};

class DragMode : public KnobDrag, public ::testing::WithParamInterface<ModeCase>
{
};

// Knob mode 2 drags in a line, every other mode around the centre; Alt swaps the two.
TEST_P(DragMode, FollowsTheFramesKnobModeAndAltSwapsIt)
{
    editor.knobMode = GetParam().knobMode;
    const int32_t b = L | GetParam().modifier;
    play({{29, 10, b}, {29, 0, b}, {29, 0, 0}});
    const float circular = knob->valueFromPoint(CPoint(24, 0));
    EXPECT_NEAR(knob->getValue(), GetParam().linear ? 0.25f : circular, 1e-5);
}

INSTANTIATE_TEST_SUITE_P(KnobDrag, DragMode,
                         ::testing::Values(ModeCase{2, 0, true}, ModeCase{2, kAlt, false},
                                           ModeCase{0, 0, false}, ModeCase{0, kAlt, true},
                                           ModeCase{1, 0, false}));

// Circular: the press point sets the value; the dead zone below gives the nearer end; crossing
// from one end to the other pins the knob at the end it came from.
TEST_F(KnobDrag, CircularDragUsesTheDeadZoneAndPinsAtTheEndItCameFrom)
{
    const int32_t a = L | kAlt;
    play({{29, 2, a}, {5, 24, a}, {25, 48, a}, {34, 48, a}, {34, 48, 0}});
    const float top = knob->valueFromPoint(CPoint(24, 2));
    const float left = knob->valueFromPoint(CPoint(0, 24));
    EXPECT_EQ(knob->valueFromPoint(CPoint(20, 48)), 0.0f);
    EXPECT_EQ(knob->valueFromPoint(CPoint(29, 48)), 1.0f);
    expectNear(listener.changes, {top, left, 0.0f});
    EXPECT_EQ(knob->getValue(), 0.0f);
}

TEST_F(KnobDrag, ControlClickRestoresTheDefaultInOneGesture)
{
    play({{20, 20, L | kControl}});
    EXPECT_EQ(knob->getValue(), 0.5f);
    EXPECT_EQ(listener.changes, std::vector<float>{0.5f});
    EXPECT_EQ(journal(), gesture(0));
}

// A listener that takes over modifier clicks leaves the knob alone; right clicks do nothing.
TEST_F(KnobDrag, ClicksTheKnobDoesNotTake)
{
    listener.takes = 1;
    play({{20, 20, L | kControl}});
    play({{20, 20, L | kShift}, {20, 0, 0}});
    play({{20, 20, kRButton}, {20, 0, 0}});
    EXPECT_EQ(knob->getValue(), 0.2f);
    EXPECT_TRUE(listener.changes.empty());
    EXPECT_EQ(journal(), Journal{});
}

// The host's idle work may close the editor mid-drag: the knob stops, ends the gesture through
// the editor and goes when its last reference does.
TEST_F(KnobDrag, KnobTakenOutOfItsFrameMidDragStopsAndEndsTheGesture)
{
    editor.onIdle = [this] { frame->removeView(knob, true); };
    play({{20, 30, L}, {20, 0, L}, {20, 0, L}, {20, 0, 0}});
    EXPECT_EQ(journal(), gesture(1));
    EXPECT_EQ(Census::views(), 0);
}

// A drag too small to show another frame of a filmstrip knob still reaches the listener.
TEST_F(KnobDrag, FilmstripKnobReportsChangesTooSmallToShow)
{
    auto* strip = new CBitmap(129);
    auto* anim = new CAnimKnob(CRect(5, 0, 54, 49), &listener, 7, 80, 49, strip);
    strip->forget();
    frame->removeView(knob, true);
    frame->addView(anim);
    editor.watched = anim;
    anim->setValue(0.5f);
    drawWhole(frame);
    editor.onIdle = [this] { frame->idle(); }; // the editor repaints in its idle work
    play({{20, 30, L}, {20, 29, L}, {20, 29, 0}});
    expectNear(listener.changes, {0.505f});
    EXPECT_EQ(anim->frameOffsetFor(0.505f), anim->frameOffsetFor(0.5f));
}

} // namespace
} // namespace toolkit
