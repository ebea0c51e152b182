#include "toolkit/CKnob.h"
#include "tests/toolkit/ScriptedMouse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace toolkit
{
namespace
{

using namespace testkit;
using qev::test::Image;
using qev::test::sameImage;

constexpr float kPi = 3.14159265f;
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

using KnobTest = TreeTest;
using KnobDrawing = FrameTreeTest;

TEST_F(KnobTest, StartsWithItsFieldsAndFitsTheInsetToTheHandle)
{
    CKnob plain(CRect(0, 0, 40, 40), nullptr, 1, nullptr, nullptr);
    EXPECT_EQ(plain.getInsetValue(), 3);
    EXPECT_EQ(plain.getColorHandle(), kWhiteCColor);
    EXPECT_EQ(plain.getColorShadowHandle(), kGreyCColor);
    EXPECT_FLOAT_EQ(plain.getStartAngle(), 5 * kPi / 4);
    EXPECT_FLOAT_EQ(plain.getRangeAngle(), -3 * kPi / 2);
    EXPECT_EQ(plain.getZoomFactor(), 1.5f);
    EXPECT_TRUE(plain.getWantsFocus());
    EXPECT_TRUE(plain.isTypeOf("CKnob") && plain.isTypeOf("CControl"));

    auto* handle = new SolidBitmap(9, 9, 0);
    auto* knob = new CKnob(CRect(0, 0, 40, 40), nullptr, 1, nullptr, handle);
    EXPECT_EQ(knob->getInsetValue(), 7); // 9 / 2.0 + 2.5, truncated
    EXPECT_EQ(handle->getReferenceCount(), 2);
    knob->setHandleBitmap(nullptr);
    EXPECT_EQ(handle->getReferenceCount(), 1);
    knob->forget();
    handle->forget();
}

TEST_F(KnobTest, SettingAnAngleRecomputesTheGeometryAndMarksDirty)
{
    CKnob knob(CRect(0, 0, 40, 40), nullptr, 1, nullptr, nullptr);
    knob.setDirty(false);
    knob.setStartAngle(kPi / 2); // the minimum straight up
    EXPECT_TRUE(knob.isDirty());
    CPoint p;
    knob.valueToPoint(p);
    EXPECT_EQ(p, CPoint(20, 3));
    knob.setDirty(false);
    knob.setRangeAngle(kPi);
    EXPECT_TRUE(knob.isDirty());
    knob.setValue(1.0f); // half a turn on: straight down
    knob.valueToPoint(p);
    EXPECT_EQ(p, CPoint(20, 37));
}

struct PointCase
{
    float value;
    CPoint point;
};

class ValueToPoint : public ::testing::TestWithParam<PointCase>
{
};

// The ends lie lower left and lower right; values without a finite angle put the handle in the
// centre; huge ones stay on the circle.
TEST_P(ValueToPoint, EndsLieLowerLeftAndRightAndEveryValueGivesAPointInside)
{
    CKnob knob(CRect(0, 0, 40, 40), nullptr, 1, nullptr, nullptr);
    knob.setValue(GetParam().value);
    CPoint p;
    knob.valueToPoint(p);
    EXPECT_EQ(p, GetParam().point);
}

INSTANTIATE_TEST_SUITE_P(KnobTest, ValueToPoint,
                         ::testing::Values(PointCase{0.0f, CPoint(8, 32)},
                                           PointCase{1.0f, CPoint(32, 32)},
                                           PointCase{kNaN, CPoint(20, 20)},
                                           PointCase{kInf, CPoint(20, 20)},
                                           PointCase{-kInf, CPoint(20, 20)}));

// Both directions of sweep: clockwise from lower left (the default) and counter-clockwise from
// lower right.
class Sweep : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        if (GetParam())
        {
            knob.setStartAngle(7 * kPi / 4);
            knob.setRangeAngle(3 * kPi / 2);
        }
    }
    CKnob knob{CRect(0, 0, 40, 40), nullptr, 1, nullptr, nullptr};
};

TEST_P(Sweep, ValueFromPointUndoesValueToPointToAPixel)
{
    for (int i = 0; i <= 100; ++i)
    {
        const float v = i / 100.0f;
        knob.setValue(v);
        CPoint p;
        knob.valueToPoint(p);
        EXPECT_NEAR(knob.valueFromPoint(p), v, 0.02f) << v;
    }
}

// Below the centre, the half of the dead zone next to each end gives that end.
TEST_P(Sweep, TheDeadZoneGivesTheNearerEnd)
{
    const float lowerLeft = knob.valueFromPoint(CPoint(17, 39));
    const float lowerRight = knob.valueFromPoint(CPoint(23, 39));
    EXPECT_EQ(lowerLeft, GetParam() ? 1.0f : 0.0f);
    EXPECT_EQ(lowerRight, GetParam() ? 0.0f : 1.0f);
}

INSTANTIATE_TEST_SUITE_P(KnobTest, Sweep, ::testing::Bool());

struct StepCase
{
    const char* name;
    bool wheel;   // else an arrow key
    float amount; // wheel distance or virtual key
    int32_t shift;
    float start;
    float expected;
};

void PrintTo(const StepCase& c, std::ostream* os)
{
    *os << c.name;
}

class Step : public FrameTreeTest, public ::testing::WithParamInterface<StepCase>
{
};

// Each wheel turn or arrow key that changes the value is one gesture with one report; a step
// that leaves the value where it is reports nothing.
TEST_P(Step, MovesByTheWheelIncrementInAGestureOfItsOwn)
{
    const StepCase& c = GetParam();
    RecordingListener listener;
    auto* knob = add(frame, new CKnob(CRect(0, 0, 40, 40), &listener, 4, nullptr, nullptr));
    knob->setValue(c.start);
    drawWhole(frame);
    journal().clear();
    ScriptedMouse mouse({{0, 0, c.shift ? kShift : 0}});
    if (c.wheel)
    {
        CDrawContext* context = frame->createDrawContext();
        EXPECT_TRUE(frame->onWheel(context, CPoint(5, 5), kMouseWheelAxisY, c.amount));
        context->forget();
    }
    else
    {
        VstKeyCode code = key(0, static_cast<unsigned char>(c.amount), c.shift ? 1 : 0);
        EXPECT_EQ(knob->onKeyDown(code), 1);
    }
    EXPECT_NEAR(knob->getValue(), c.expected, 1e-6);
    const bool told = c.expected != c.start;
    EXPECT_EQ(listener.changes.size(), told ? 1u : 0u);
    const std::vector<std::string> gesture{"editor.beginEdit 4", "editor.endEdit 4"};
    EXPECT_EQ(journal(), told ? gesture : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(KnobTest, Step,
                         ::testing::Values(StepCase{"WheelUp", true, 1.0f, 0, 0.5f, 0.6f},
                                           StepCase{"WheelUpShift", true, 1.0f, 1, 0.5f, 0.51f},
                                           StepCase{"WheelDown", true, -1.0f, 0, 0.5f, 0.4f},
                                           StepCase{"HalfNotch", true, 0.5f, 0, 0.5f, 0.55f},
                                           StepCase{"WheelBounded", true, 1.0f, 0, 0.95f, 1.0f},
                                           StepCase{"WheelAtTheTop", true, 1.0f, 0, 1.0f, 1.0f},
                                           StepCase{"KeyUp", false, 12, 0, 0.5f, 0.6f},
                                           StepCase{"KeyRight", false, 13, 0, 0.5f, 0.6f},
                                           StepCase{"KeyDown", false, 14, 0, 0.5f, 0.4f},
                                           StepCase{"KeyLeft", false, 11, 0, 0.5f, 0.4f},
                                           StepCase{"KeyUpShift", false, 12, 1, 0.5f, 0.51f},
                                           StepCase{"KeyDownBounded", false, 14, 0, 0.05f, 0.0f},
                                           StepCase{"KeyUpAtTheTop", false, 12, 0, 1.0f, 1.0f}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(KnobTest, OtherKeysAndImpossibleWheelTurnsChangeNothing)
{
    RecordingListener listener;
    CKnob knob(CRect(0, 0, 40, 40), &listener, 4, nullptr, nullptr);
    knob.setValue(0.5f);
    VstKeyCode enter = key(0, 19);
    EXPECT_EQ(knob.onKeyDown(enter), -1);
    EXPECT_FALSE(knob.onWheel(nullptr, CPoint(), kNaN));
    EXPECT_FALSE(knob.onWheel(nullptr, CPoint(), kInf));
    knob.setMouseEnabled(false);
    EXPECT_FALSE(knob.onWheel(nullptr, CPoint(), 1.0f));
    EXPECT_EQ(knob.getValue(), 0.5f);
    EXPECT_TRUE(listener.changes.empty());
}

// The handle is a shadow line from the handle point to the centre, one pixel left, and the
// handle line one pixel up and right of it; both lines stop short of the centre.
TEST_F(KnobDrawing, DrawsTheHandleLinesOverTheBackground)
{
    auto* background = new SolidBitmap(40, 40, rgbOf(kBlueCColor));
    auto* knob = add(frame, new CKnob(CRect(10, 5, 50, 45), nullptr, 1, background, nullptr));
    background->forget();
    knob->setStartAngle(kPi / 2);
    const CColor shadow{0, 200, 0, 255};
    const CColor handle{250, 250, 0, 255};
    knob->setColorShadowHandle(shadow);
    knob->setColorHandle(handle);

    // Value 0 points straight up: the handle point is (20, 3) of the knob, the centre (20, 20).
    drawWhole(frame);
    Image up(60, 50, 0);
    paint(up, CRect(10, 5, 50, 45), kBlueCColor);
    paint(up, CRect(29, 8, 30, 25), shadow);
    paint(up, CRect(30, 7, 31, 24), handle);
    EXPECT_TRUE(sameImage(surfaceOf(frame), up, "knob-handle-up"));

    // With the minimum at angle 0 it points right: the handle point is (37, 20).
    knob->setStartAngle(0.0f);
    drawWhole(frame);
    Image right(60, 50, 0);
    paint(right, CRect(10, 5, 50, 45), kBlueCColor);
    paint(right, CRect(30, 25, 47, 26), shadow);
    paint(right, CRect(31, 24, 48, 25), handle);
    EXPECT_TRUE(sameImage(surfaceOf(frame), right, "knob-handle-right"));
}

TEST_F(KnobDrawing, DrawsTheHandlePictureCentredOnTheHandlePoint)
{
    auto* picture = new SolidBitmap(6, 4, rgbOf(kRedCColor));
    auto* knob = add(frame, new CKnob(CRect(10, 5, 50, 45), nullptr, 1, nullptr, picture));
    picture->forget();
    knob->setStartAngle(kPi / 2);
    drawWhole(frame);
    // Inset 6 / 2.0 + 2.5 = 5: the handle point is (20, 5), so the picture's top-left (17, 3).
    Image expected(60, 50, 0);
    paint(expected, CRect(27, 8, 33, 12), kRedCColor);
    EXPECT_TRUE(sameImage(surfaceOf(frame), expected, "knob-handle-picture"));
}

} // namespace
} // namespace toolkit
