#include "toolkit/CControl.h"
#include "tests/toolkit/ViewTestKit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>

namespace toolkit
{
namespace
{

using namespace testkit;

const float kNaN = std::numeric_limits<float>::quiet_NaN();

using ControlTest = TreeTest;

TEST_F(ControlTest, StartsWithItsFieldsAndIsDirtyAtOnce)
{
    RecordingListener listener;
    CControl control(CRect(0, 0, 10, 10), &listener, 7);
    EXPECT_EQ(control.getListener(), &listener);
    EXPECT_EQ(control.getTag(), 7);
    EXPECT_EQ(control.getValue(), 0.0f);
    EXPECT_EQ(control.getOldValue(), 1.0f);
    EXPECT_EQ(control.getDefaultValue(), 0.5f);
    EXPECT_EQ(control.getMin(), 0.0f);
    EXPECT_EQ(control.getMax(), 1.0f);
    EXPECT_EQ(control.getWheelInc(), 0.1f);
    EXPECT_EQ(control.getBackOffset(), CPoint(0, 0));
    EXPECT_TRUE(control.getMouseEnabled());
    EXPECT_FALSE(control.getTransparency());
    // Not marked, but the value shown (1.0) differs from the value (0.0).
    EXPECT_TRUE(control.isDirty());
}

TEST_F(ControlTest, BackgroundFromTheConstructorIsRemembered)
{
    auto* picture = new SolidBitmap(2, 2, 0);
    auto* control = new CControl(CRect(0, 0, 2, 2), nullptr, 0, picture);
    EXPECT_EQ(control->getBackground(), picture);
    EXPECT_EQ(picture->getReferenceCount(), 2);
    control->forget();
    EXPECT_EQ(picture->getReferenceCount(), 1);
    picture->forget();
}

TEST_F(ControlTest, SettingTheShownValueLeavesItCleanAndMarkingMakesItDirtyAnyway)
{
    CControl control(CRect(0, 0, 10, 10), nullptr, 0);
    control.setValue(0.25f);
    control.setDirty(false);
    EXPECT_EQ(control.getOldValue(), 0.25f);
    control.setValue(0.25f);
    EXPECT_FALSE(control.isDirty());
    control.setValue(0.5f);
    EXPECT_TRUE(control.isDirty());
    control.setValue(0.25f);
    EXPECT_FALSE(control.isDirty());
    control.setDirty(true);
    EXPECT_TRUE(control.isDirty());
    EXPECT_EQ(control.getOldValue(), -1.0f);
}

// The drawn value is moved away from the value, so that the two differ even for -1.0.
TEST_F(ControlTest, MarkingDirtyAtMinusOneUsesZeroAsTheDrawnValue)
{
    CControl control(CRect(0, 0, 10, 10), nullptr, 0);
    control.setValue(-1.0f);
    control.setDirty(true);
    EXPECT_EQ(control.getOldValue(), 0.0f);
    control.setDirty(false);
    EXPECT_EQ(control.getOldValue(), -1.0f);
    EXPECT_FALSE(control.isDirty());
}

TEST_F(ControlTest, NaNNeverCountsAsAChangedValue)
{
    CControl control(CRect(0, 0, 10, 10), nullptr, 0);
    control.setDirty(false);
    control.setValue(kNaN);
    EXPECT_FALSE(control.isDirty()); // NaN against 0.0
    control.setValue(0.5f);
    control.setOldValue(kNaN);
    EXPECT_FALSE(control.isDirty()); // 0.5 against NaN
    control.setDirty(true);
    EXPECT_TRUE(control.isDirty()); // the mark still counts
}

TEST_F(ControlTest, DrawingCleansTheControl)
{
    qev::test::Canvas canvas(10, 10);
    CDrawContext context(nullptr, canvas.dc(), nullptr);
    Dial dial(CRect(0, 0, 10, 10), nullptr, 0);
    dial.setValue(0.7f);
    ASSERT_TRUE(dial.isDirty());
    dial.draw(&context);
    EXPECT_FALSE(dial.isDirty());
    EXPECT_EQ(dial.getOldValue(), 0.7f);
}

struct BounceCase
{
    float value;
    float expected;
};

void PrintTo(const BounceCase& c, std::ostream* os)
{
    *os << c.value << " -> " << c.expected;
}

class BounceValue : public ::testing::TestWithParam<BounceCase>
{
};

TEST_P(BounceValue, ClampsIntoTheRangeAndTurnsNaNIntoTheMaximum)
{
    CControl control(CRect(), nullptr, 0);
    control.setValue(GetParam().value);
    control.bounceValue();
    EXPECT_EQ(control.getValue(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(ControlTest, BounceValue,
                         ::testing::Values(BounceCase{1.5f, 1.0f}, BounceCase{-0.2f, 0.0f},
                                           BounceCase{kNaN, 1.0f}, BounceCase{0.3f, 0.3f},
                                           BounceCase{1.0f, 1.0f}, BounceCase{0.0f, 0.0f}));

TEST_F(ControlTest, BounceUsesTheControlsOwnRange)
{
    CControl control(CRect(), nullptr, 0);
    control.setMin(2.0f);
    control.setMax(12.0f);
    control.setValue(1.0f);
    control.bounceValue();
    EXPECT_EQ(control.getValue(), 2.0f);
    control.setValue(13.0f);
    control.bounceValue();
    EXPECT_EQ(control.getValue(), 12.0f);
}

class DefaultValueClick : public TreeTest, public ::testing::WithParamInterface<int32_t>
{
};

// Only left + Control, nothing more and nothing less, is the reset click.
TEST_P(DefaultValueClick, OnlyExactlyLeftAndControlActs)
{
    RecordingListener listener;
    CControl control(CRect(), &listener, 3);
    control.setValue(0.9f);
    const bool acts = GetParam() == (kLButton | kControl);
    EXPECT_EQ(control.checkDefaultValue(nullptr, GetParam()), acts);
    EXPECT_EQ(control.getValue(), acts ? 0.5f : 0.9f);
    EXPECT_EQ(listener.changes.size(), acts ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(ControlTest, DefaultValueClick,
                         ::testing::Values(kLButton | kControl,
                                           kLButton | kControl | kShift, // 25
                                           kLButton, kControl, kRButton | kControl,
                                           kLButton | kControl | kAlt, -1, 0));

// The reset goes through a gesture: the control takes the focus and the editor hears the tag.
TEST_F(ControlTest, DefaultValueClickBracketsTheGestureThroughTheFrame)
{
    RecordingEditor editor;
    RecordingListener listener;
    auto* frame = new CFrame(CRect(0, 0, 100, 100), nullptr, &editor);
    auto* dial = new Dial(CRect(0, 0, 10, 10), &listener, 9);
    frame->addView(dial);
    dial->setValue(0.2f);
    EXPECT_TRUE(dial->checkDefaultValue(nullptr, kLButton | kControl));
    EXPECT_EQ(frame->getFocusView(), dial);
    EXPECT_EQ(journal(), (std::vector<std::string>{"editor.beginEdit 9", "editor.endEdit 9"}));
    EXPECT_EQ(listener.changes, std::vector<float>{0.5f});
    frame->forget();
}

// The listener hears only about a change of what is shown: a control already showing its
// default is reset silently.
TEST_F(ControlTest, DefaultValueClickOnTheShownDefaultTellsNobody)
{
    RecordingListener listener;
    CControl control(CRect(), &listener, 0);
    control.setValue(0.5f);
    control.setDirty(false);
    EXPECT_TRUE(control.checkDefaultValue(nullptr, kLButton | kControl));
    EXPECT_TRUE(listener.changes.empty());
    CControl deaf(CRect(), nullptr, 0); // no listener: nothing to tell
    EXPECT_TRUE(deaf.checkDefaultValue(nullptr, kLButton | kControl));
    EXPECT_EQ(deaf.getValue(), 0.5f);
}

TEST_F(ControlTest, EditorRequestsReachTheEditorOnlyWhenAttached)
{
    CControl loose(CRect(), nullptr, 4);
    loose.beginEdit();
    loose.endEdit();
    loose.doIdleStuff();
    EXPECT_TRUE(journal().empty());

    RecordingEditor editor;
    auto* frame = new CFrame(CRect(0, 0, 100, 100), nullptr, &editor);
    auto* control = new Dial(CRect(0, 0, 10, 10), nullptr, 4);
    frame->addView(control);
    control->doIdleStuff();
    control->beginEdit();
    control->endEdit();
    EXPECT_EQ(journal(), (std::vector<std::string>{"editor.doIdleStuff", "editor.beginEdit 4",
                                                   "editor.endEdit 4"}));
    EXPECT_EQ(control->getEditor(), &editor);
    frame->forget(); // the creator's reference went with the frame's
    EXPECT_EQ(Census::views(), 0);
}

TEST_F(ControlTest, BackOffsetCopiesTheControlsPosition)
{
    CControl control(CRect(12, 34, 50, 60), nullptr, 0);
    control.setBackOffset(CPoint(1, 2));
    EXPECT_EQ(control.getBackOffset(), CPoint(1, 2));
    control.copyBackOffset();
    EXPECT_EQ(control.getBackOffset(), CPoint(12, 34));
}

TEST_F(ControlTest, PlainSettersStoreWithoutBoundingOrNotifying)
{
    RecordingListener listener;
    CControl control(CRect(), &listener, 0);
    control.setValue(7.5f);
    control.setDefaultValue(0.25f);
    control.setWheelInc(0.05f);
    control.setTag(21);
    EXPECT_EQ(control.getValue(), 7.5f);
    EXPECT_EQ(control.getDefaultValue(), 0.25f);
    EXPECT_EQ(control.getWheelInc(), 0.05f);
    EXPECT_EQ(control.getTag(), 21);
    EXPECT_TRUE(listener.changes.empty());
}

// The editor stores parameter values from whatever thread sets them while the window thread
// reads, redraws and cleans the control.
TEST(ControlConcurrency, ValuesStoredFromAnotherThreadWhileTheWindowThreadRedraws)
{
    CControl control(CRect(0, 0, 10, 10), nullptr, 0);
    constexpr int kRounds = 20000;
    std::thread setter(
        [&control]
        {
            for (int i = 0; i < kRounds; ++i)
                control.setValue(static_cast<float>(i % 100) / 100.0f);
        });
    int redraws = 0;
    for (int i = 0; i < kRounds; ++i)
        if (control.isDirty())
        {
            control.setDirty(false);
            ++redraws;
        }
    setter.join();
    control.setValue(0.99f); // the setter's last value: equal to what is shown or not
    control.setDirty(false);
    EXPECT_FALSE(control.isDirty());
    EXPECT_GT(redraws, 0);
}

} // namespace
} // namespace toolkit
