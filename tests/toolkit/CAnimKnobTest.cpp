#include "toolkit/CAnimKnob.h"
#include "tests/toolkit/ViewTestKit.h"

#include <gtest/gtest.h>

#include <limits>

namespace toolkit
{
namespace
{

using namespace testkit;
using qev::test::Image;
using qev::test::imageOf;
using qev::test::sameImage;

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

// The editor's knob: 80 frames of 49 from the strip, bitmap 129, at (5, 0) of the frame.
class AnimKnobTest : public FrameTreeTest
{
protected:
    void SetUp() override
    {
        FrameTreeTest::SetUp();
        strip = new CBitmap(129);
        knob = add(frame, new CAnimKnob(CRect(5, 0, 54, 49), &listener, 3, 80, 49, strip));
    }
    void TearDown() override
    {
        frame->forget();
        frame = nullptr;
        strip->forget();
        FrameTreeTest::TearDown();
    }
    // The frame as it must look: `background` with the strip's rows from `row` in the knob's
    // place, its pixels of `keyed` colour (when given) leaving the background visible.
    Image expected(int32_t row, Image image = Image(60, 50, 0),
                   const uint32_t* keyed = nullptr) const
    {
        const Image cut = imageOf(strip->getHandle());
        for (int y = 0; y < 49; ++y)
            for (int x = 0; x < 49; ++x)
                if (!keyed || cut.at(x, row + y) != *keyed)
                    image.at(5 + x, y) = cut.at(x, row + y);
        return image;
    }

    RecordingListener listener;
    CBitmap* strip = nullptr;
    CAnimKnob* knob = nullptr;
};

struct FrameCase
{
    const char* name;
    float value;
    bool inverse;
    int32_t offset;
};

void PrintTo(const FrameCase& c, std::ostream* os)
{
    *os << c.name;
}

class FrameChoice : public AnimKnobTest, public ::testing::WithParamInterface<FrameCase>
{
};

// Values outside 0..1, NaN and infinities included, show the nearer end frame.
TEST_P(FrameChoice, ShowsTheFrameOfTheValueCutFromTheStrip)
{
    const FrameCase& c = GetParam();
    knob->setInverseBitmap(c.inverse);
    knob->setValue(c.value);
    EXPECT_EQ(knob->frameOffsetFor(c.value), c.offset);
    drawWhole(frame);
    EXPECT_TRUE(sameImage(surfaceOf(frame), expected(c.offset), c.name));
}

INSTANTIATE_TEST_SUITE_P(
    AnimKnobTest, FrameChoice,
    ::testing::Values(
        FrameCase{"Zero", 0.0f, false, 0}, FrameCase{"Two", 0.02f, false, 49},
        FrameCase{"Half", 0.5f, false, 1911}, FrameCase{"One", 1.0f, false, 3871},
        FrameCase{"AboveOne", 1.5f, false, 3871}, FrameCase{"Huge", 1e30f, false, 3871},
        FrameCase{"Infinite", kInf, false, 3871}, FrameCase{"Negative", -0.5f, false, 0},
        FrameCase{"NegativeInfinite", -kInf, false, 0}, FrameCase{"NaN", kNaN, false, 0},
        FrameCase{"InverseZero", 0.0f, true, 3871}, FrameCase{"InverseOne", 1.0f, true, 0},
        FrameCase{"InverseAboveOne", 2.0f, true, 0}, FrameCase{"InverseHalf", 0.5f, true, 1911}),
    [](const auto& info) { return std::string(info.param.name); });

// As the editor draws it: transparent, with the strip's black as the transparent colour.
TEST_F(AnimKnobTest, TransparentKnobShowsTheFrameBehindItsKeyColour)
{
    strip->setTransparentColor(kBlackCColor);
    knob->setTransparency(true);
    frame->setBackgroundColor(kBlueCColor);
    knob->setValue(0.5f);
    drawWhole(frame);
    Image background(60, 50, 0);
    paint(background, CRect(1, 1, 60, 50), kBlueCColor); // a fill leaves row and column 0
    const uint32_t black = 0;
    EXPECT_TRUE(sameImage(surfaceOf(frame), expected(1911, background, &black), "knob-keyed"));
}

// Redrawn exactly when another frame would show, even where the handle point stays put; the
// walk must meet such a change for the test to mean anything.
TEST_F(AnimKnobTest, IsDirtyExactlyWhenTheFrameWouldChange)
{
    int frameChangesWithTheSamePoint = 0;
    for (int i = 0; i < 1000; ++i)
    {
        const float v = i / 1000.0f;
        const float next = v + 0.001f;
        knob->setValue(v);
        drawWhole(frame);
        const CPoint drawnPoint = knob->getLastDrawnPoint();
        knob->setValue(next);
        const bool frameChanges = knob->frameOffsetFor(next) != knob->frameOffsetFor(v);
        ASSERT_EQ(knob->isDirty(), frameChanges) << v;
        CPoint p;
        knob->valueToPoint(p);
        frameChangesWithTheSamePoint += frameChanges && p == drawnPoint;
    }
    EXPECT_GT(frameChangesWithTheSamePoint, 0);
}

// A key step too small to show another frame is still reported, in a gesture.
TEST_F(AnimKnobTest, ReportsAChangeTooSmallToShow)
{
    knob->setValue(0.5f);
    knob->setWheelInc(0.001f);
    drawWhole(frame);
    journal().clear();
    VstKeyCode up = key(0, 12);
    EXPECT_EQ(knob->onKeyDown(up), 1);
    EXPECT_EQ(knob->frameOffsetFor(knob->getValue()), 1911);
    ASSERT_EQ(listener.changes.size(), 1u);
    EXPECT_NEAR(listener.changes[0], 0.501f, 1e-6);
    EXPECT_EQ(journal(), (std::vector<std::string>{"editor.beginEdit 3", "editor.endEdit 3"}));
}

// Frame counts and heights come from the caller: none of these reads outside the strip.
TEST_F(AnimKnobTest, DegenerateStripsShowTheirFirstRow)
{
    const int32_t cases[][2] = {{0, 49}, {1, 49},   {-5, 49},
                                {80, 0}, {80, -49}, {0x7FFFFFFF, 0x7FFFFFFF}};
    for (const auto& c : cases)
    {
        CAnimKnob odd(CRect(0, 0, 49, 49), nullptr, 0, c[0], c[1], strip);
        for (float v : {0.0f, 0.5f, 1.0f, kInf})
            EXPECT_EQ(odd.frameOffsetFor(v), 0) << c[0] << " x " << c[1] << " at " << v;
    }
}

} // namespace
} // namespace toolkit
