#include "engine/PhaserStage.h"

#include "tests/engine/ReferencePhaser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace qev
{
namespace
{

TEST(Saturate, LargeInputApproachesOneAsTheCubicSeriesDoes)
{
    EXPECT_EQ(saturate(100.0f), 8121200.0f / 8121212.0f);
    EXPECT_EQ(saturate(100.0f), 0.9999985f);
    EXPECT_EQ(saturate(-100.0f), -0.9999985f);
}

TEST(Saturate, IsOddAndZeroAtZero)
{
    EXPECT_EQ(saturate(0.0f), 0.0f);
    EXPECT_FALSE(std::signbit(saturate(0.0f)));
    EXPECT_FALSE(std::signbit(saturate(-0.0f))); // zero counts as positive
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> any(-50.0f, 50.0f);
    for (int i = 0; i < 1000; ++i)
    {
        const float x = any(rng);
        EXPECT_EQ(saturate(-x), -saturate(x)) << x;
        EXPECT_LE(std::abs(saturate(x)), 1.0f);
        EXPECT_EQ(saturate(x), reference::Stage::sat(x)) << x;
    }
    // |2x| overflows alike in float and through double: both give inf / inf.
    EXPECT_TRUE(std::isnan(saturate(3e38f)) && std::isnan(reference::Stage::sat(3e38f)));
    EXPECT_EQ(saturate(1e12f), reference::Stage::sat(1e12f));
}

TEST(PhaserStage, CosineTableSpansZeroToPi)
{
    PhaserStage stage(44100.0f);
    EXPECT_EQ(stage.cosineTable[0], 1.0f);
    EXPECT_EQ(stage.cosineTable[1024], -1.0f);
    EXPECT_LT(std::abs(stage.cosineTable[512]), 1e-7f);
}

TEST(PhaserStage, CoefficientsAtBZeroPutThePolesOnTheUnitCircleAtDc)
{
    PhaserStage stage(44100.0f);
    stage.step(0.0f, 0.0f, 0.0f);
    EXPECT_EQ(stage.radius, 1.0f);
    EXPECT_EQ(stage.a1, -2.0f);
    EXPECT_EQ(stage.a2, 1.0f);
}

TEST(PhaserStage, CoefficientsAtBHalf)
{
    PhaserStage stage(44100.0f);
    stage.step(0.0f, 0.5f, 0.0f);
    EXPECT_EQ(stage.radius, 0.75f);
    EXPECT_EQ(stage.a1, -2.0f * 0.75f * stage.cosineTable[512]);
    EXPECT_LT(std::abs(stage.a1), 1e-7f);
    EXPECT_EQ(stage.a2, 0.5625f);
}

TEST(PhaserStage, LargeSectionTwoOutputSaturatesTheFeedback)
{
    // Drive section 2 to exactly 400 in one step: all histories 0, a2 = 1 at b = 0, so
    // out2 = w = input + offset.
    PhaserStage stage(44100.0f);
    const float input = 400.0f - 1e-9f;
    const float out = stage.step(input, 0.0f, 0.0f);
    EXPECT_EQ(stage.y2, 400.0f);
    EXPECT_EQ(stage.feedback1, 4.0f * 0.9999985f);
    EXPECT_NEAR(stage.feedback1, 3.999994f, 1e-6f);
    EXPECT_EQ(out, stage.feedback1 + stage.feedback2);
}

TEST(PhaserStage, SilenceSettlesAtASmallNegativeConstantWithoutDenormals)
{
    PhaserStage stage(44100.0f);
    float out = 0.0f;
    for (int i = 0; i < 200000; ++i)
        out = stage.step(0.0f, 0.3f, 0.0f);
    EXPECT_LT(out, -1e-7f);
    EXPECT_GT(out, -2e-6f);
    EXPECT_NEAR(stage.y1, 1e-9f, 1e-12f);
    EXPECT_NEAR(stage.y2, 1e-9f, 1e-12f);
    for (float v : {stage.x1, stage.x1Prev, stage.y1, stage.y1Prev, stage.x2, stage.x2Prev,
                    stage.y2, stage.y2Prev, stage.feedback1, stage.feedback2})
        EXPECT_NE(std::fpclassify(v), FP_SUBNORMAL);
}

TEST(PhaserStage, PassesEveryFrequencyAtUnitGainWithoutFeedback)
{
    // Section 2 alone (k = 0) is an all-pass: a sine keeps its amplitude.
    for (float hz : {100.0f, 1000.0f, 8000.0f})
    {
        PhaserStage stage(44100.0f);
        double inEnergy = 0.0, outEnergy = 0.0;
        for (int n = 0; n < 48000; ++n)
        {
            const float x = 0.1f * static_cast<float>(std::sin(2.0 * M_PI * hz * n / 48000.0));
            stage.step(x, 0.2f, 0.0f);
            if (n >= 8000)
            {
                inEnergy += static_cast<double>(x + 1e-9f) * (x + 1e-9f);
                outEnergy += static_cast<double>(stage.y2) * stage.y2;
            }
        }
        EXPECT_NEAR(outEnergy / inEnergy, 1.0, 0.01) << hz;
    }
}

TEST(PhaserStage, MatchesTheLiteralStageBitForBit)
{
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> signal(-0.5f, 0.5f), unit(0.0f, 1.0f);
    for (int trial = 0; trial < 20; ++trial)
    {
        PhaserStage stage(44100.0f);
        reference::Stage literal(44100.0f, reference::Mode::Product);
        const float k = unit(rng);
        const float low = unit(rng), high = unit(rng);
        for (int n = 0; n < 5000; ++n)
        {
            const float x = signal(rng);
            const float b = low + (high - low) * static_cast<float>(n % 500) / 500.0f;
            ASSERT_EQ(stage.step(x, b, k), literal.run(x, b, k)) << "trial " << trial << " n " << n;
        }
    }
}

TEST(PhaserStage, FrequencyJustAboveOneReadsTheLastCosine)
{
    PhaserStage stage(44100.0f);
    stage.step(0.0f, 1.00000024f, 0.5f);
    EXPECT_EQ(stage.a1, -2.0f * stage.radius * -1.0f);
    EXPECT_EQ(stage.radius, 1.0f - 1.00000024f * 0.5f); // the radius is not clamped
}

TEST(PhaserStage, RunawayRestartsTheStageFromRest)
{
    // At b = 0 (a1 = -2, a2 = 1) a section's output is about 2 y - yPrev.
    const float limit = PhaserStage::kRunawayLimit;
    PhaserStage calm(44100.0f);
    calm.y2 = 0.3f * limit;
    calm.y2Prev = -0.3f * limit; // out2 about 0.9 of the limit: the plain recursion runs
    calm.step(0.0f, 0.0f, 0.0f);
    EXPECT_NEAR(calm.y2, 0.9f * limit, 1.0f);

    PhaserStage stage(44100.0f);
    stage.y2 = 0.45f * limit;
    stage.y2Prev = -0.45f * limit;
    stage.feedback1 = 3.0f;
    stage.feedback2 = 2.0f;
    EXPECT_EQ(stage.step(0.0f, 0.0f, 1.0f), 0.0f); // out2 about 1.35 of the limit
    EXPECT_TRUE(stage.restarted);
    for (float v : {stage.x1, stage.x1Prev, stage.y1, stage.y1Prev, stage.x2, stage.x2Prev,
                    stage.y2, stage.y2Prev, stage.feedback1, stage.feedback2})
        EXPECT_EQ(v, 0.0f);
    EXPECT_TRUE(std::isfinite(stage.step(0.1f, 0.1f, 1.0f)));
    EXPECT_FALSE(stage.restarted);
}

TEST(PhaserStage, AFrequencyThatStaysBelowTheFloorIsHeldThereAfterOneSecond)
{
    const float fs = 1000.0f; // one second is 1000 frames
    const float below = 2e-6f, floor = PhaserStage::kFrequencyFloor;
    PhaserStage stage(fs);
    for (int n = 1; n < 1000; ++n)
    {
        stage.step(0.1f, below, 0.5f);
        ASSERT_EQ(stage.radius, 1.0f - below * 0.5f) << n; // the plain recursion
    }
    stage.step(0.1f, below, 0.5f);
    EXPECT_EQ(stage.radius, 1.0f - floor * 0.5f);
    stage.step(0.1f, 0.5f * floor, 0.5f);
    EXPECT_EQ(stage.radius, 1.0f - floor * 0.5f); // held while it stays below
    stage.step(0.1f, floor, 0.5f);
    EXPECT_EQ(stage.radius, 1.0f - floor * 0.5f);
    stage.step(0.1f, below, 0.5f); // at the floor the count starts again
    EXPECT_EQ(stage.radius, 1.0f - below * 0.5f);
    for (int n = 0; n < 990; ++n)
        stage.step(0.1f, below, 0.5f);
    stage.startFromRest(); // and so it does from rest
    stage.step(0.1f, below, 0.5f);
    EXPECT_EQ(stage.radius, 1.0f - below * 0.5f);
    EXPECT_EQ(stage.framesBelowFloor, 1.0f);
}

TEST(PhaserStage, FloorHoldCountsWholeFramesAtAnyRate)
{
    // A float counts frames exactly up to 2^24; the hold stops short of that.
    EXPECT_EQ(PhaserStage(96000.0f).floorHoldFrames, 96000.0f);
    EXPECT_EQ(PhaserStage(1e9f).floorHoldFrames, 8388608.0f);
}

TEST(PhaserStage, NonFiniteOrHugeInputNeverReachesTheState)
{
    for (float input : {1e30f, -1e30f, 3.4e38f, INFINITY, NAN})
    {
        PhaserStage stage(44100.0f);
        for (int n = 0; n < 10; ++n)
            stage.step(input, 0.1f, 1.0f);
        for (float v : {stage.x1, stage.y1, stage.x2, stage.y2, stage.feedback1, stage.feedback2})
            EXPECT_TRUE(std::isfinite(v)) << input;
    }
}

} // namespace
} // namespace qev
