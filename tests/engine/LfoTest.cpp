#include "engine/Lfo.h"

#include <gtest/gtest.h>

#include <cmath>

namespace qev
{
namespace
{

float sineAt(double steps)
{
    return static_cast<float>(std::sin(2.0 * M_PI * steps / 256.0));
}

TEST(Lfo, FreshOscillatorStartsAtZeroAndAdvancesOneIncrement)
{
    Lfo lfo(44100.0f);
    EXPECT_EQ(lfo.increment, 256.0f / 44100.0f);
    EXPECT_EQ(lfo.step(), 0.0f);
    EXPECT_EQ(lfo.phase, lfo.increment);
    EXPECT_EQ(lfo.index, 0);
    EXPECT_EQ(lfo.fraction, 0.0f);
}

TEST(Lfo, SineTableHoldsOneCycleWithRepeatedStart)
{
    Lfo lfo(48000.0f);
    EXPECT_EQ(lfo.sineTable[0], 0.0f);
    EXPECT_EQ(lfo.sineTable[64], 1.0f);
    EXPECT_EQ(lfo.sineTable[192], -1.0f);
    EXPECT_LT(std::abs(lfo.sineTable[256]), 2e-7f);
    for (int i = 0; i <= 256; ++i)
        EXPECT_NEAR(lfo.sineTable[i], sineAt(i), 5e-7f) << i; // argument rounded to float
}

TEST(Lfo, PhaseAbove255FoldsBy255NotBy256)
{
    Lfo lfo(44100.0f);
    lfo.setRate(2.0f);
    lfo.phase = 300.0f;
    const float value = lfo.step();
    EXPECT_EQ(value, lfo.sineTable[45]);
    EXPECT_NEAR(value, 0.8932f, 1e-4f);
    EXPECT_EQ(lfo.index, 45);
    EXPECT_EQ(lfo.phase, 45.0f + lfo.increment);
}

TEST(Lfo, PhaseExactly255DoesNotFold)
{
    Lfo lfo(44100.0f);
    lfo.phase = 255.0f;
    const float value = lfo.step();
    EXPECT_EQ(lfo.index, 255);
    EXPECT_EQ(lfo.fraction, 0.0f);
    EXPECT_EQ(value, lfo.sineTable[255]);
    EXPECT_NEAR(value, -0.0245f, 1e-4f);
}

TEST(Lfo, InterpolatesBetweenEntries)
{
    Lfo lfo(44100.0f);
    lfo.setRate(0.0f);
    lfo.phase = 10.25f;
    const float expected = lfo.sineTable[10] * 0.75f + lfo.sineTable[11] * 0.25f;
    EXPECT_EQ(lfo.step(), expected);
    EXPECT_EQ(lfo.step(), expected); // rate 0 freezes the phase
    EXPECT_EQ(lfo.phase, 10.25f);
}

TEST(Lfo, CycleRateIs256Over255OfTheRateSet)
{
    const float fs = 1000.0f;
    Lfo lfo(fs);
    lfo.setRate(1.0f);
    int wraps = 0;
    float previousPhase = lfo.phase;
    for (int i = 0; i < 100 * 1000; ++i)
    {
        lfo.step();
        if (lfo.phase < previousPhase)
            ++wraps;
        previousPhase = lfo.phase;
    }
    // 100 s at 1 Hz: about 100.39 cycles.
    EXPECT_EQ(wraps, 100);
    EXPECT_GT(lfo.phase, 0.39f * 255.0f);
}

// Whatever phase is written and whatever rate is set, the table is read inside and the value
// stays within -1..1.
class LfoBadPhase : public ::testing::TestWithParam<float>
{
};

TEST_P(LfoBadPhase, IsWrappedIntoTheCycle)
{
    Lfo lfo(44100.0f);
    lfo.phase = GetParam();
    for (int i = 0; i < 4; ++i)
    {
        const float value = lfo.step();
        EXPECT_GE(lfo.index, 0);
        EXPECT_LE(lfo.index, 255);
        EXPECT_TRUE(value >= -1.0f && value <= 1.0f) << value;
    }
}

INSTANTIATE_TEST_SUITE_P(Values, LfoBadPhase,
                         ::testing::Values(-1.0f, -300.0f, 511.0f, 1e30f, -1e30f, INFINITY,
                                           -INFINITY, NAN));

TEST(Lfo, HugeOrNegativeRatesStayInsideTheTable)
{
    for (float rate : {1e6f, 1e30f, -5.0f, -1e30f, INFINITY, NAN})
    {
        Lfo lfo(8000.0f);
        lfo.setRate(rate);
        for (int i = 0; i < 100; ++i)
        {
            const float value = lfo.step();
            ASSERT_TRUE(lfo.index >= 0 && lfo.index <= 255) << rate;
            ASSERT_TRUE(value >= -1.0f && value <= 1.0f) << rate;
        }
    }
}

} // namespace
} // namespace qev
