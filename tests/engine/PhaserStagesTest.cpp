#include "engine/PhaserStages.h"

#include "tests/engine/EngineTestKit.h"
#include "tests/engine/ReferencePhaser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

namespace qev
{
namespace
{

using testkit::stepFirstStage;

constexpr int kRight = PhaserStages::kRight;
constexpr int kLeft = PhaserStages::kLeft;

TEST(Saturate, LargeInputApproachesOneAsTheCubicSeriesDoes)
{
    EXPECT_EQ(saturate(100.0f), 8121200.0f / 8121212.0f);
    EXPECT_EQ(saturate(100.0f), 0.9999985f);
    EXPECT_EQ(saturate(-100.0f), -0.9999985f);
}

bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(Saturate, IsOddAndZeroAtZeroAndEveryLaneGivesTheScalarBits)
{
    EXPECT_EQ(saturate(0.0f), 0.0f);
    EXPECT_FALSE(std::signbit(saturate(0.0f)));
    EXPECT_FALSE(std::signbit(saturate(-0.0f))); // zero counts as positive
    const unsigned seed = 3;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> any(-50.0f, 50.0f);
    for (int i = 0; i < 1000; ++i)
    {
        const float x = any(rng);
        EXPECT_EQ(saturate(-x), -saturate(x)) << x;
        EXPECT_LE(std::abs(saturate(x)), 1.0f);
        EXPECT_EQ(saturate(x), reference::Stage::sat(x)) << x << " seed " << seed;
    }
    // |2x| overflows alike in float and through double: both give inf / inf.
    EXPECT_TRUE(std::isnan(saturate(3e38f)) && std::isnan(reference::Stage::sat(3e38f)));
    EXPECT_EQ(saturate(1e12f), reference::Stage::sat(1e12f));
    const float values[] = {0.0f,  -0.0f,     1e-30f, -1e-30f, 0.3f,     -7.5f,
                            3e38f, -INFINITY, NAN,    1e12f,   -2.5e-7f, 100.0f};
    for (int i = 0; i + 4 <= static_cast<int>(std::size(values)); ++i)
    {
        alignas(16) float lanes[4];
        std::memcpy(lanes, values + i, sizeof lanes);
        saturate(FloatLanes::loadFirst(lanes, 4)).storeFirst(lanes, 4);
        for (int j = 0; j < 4; ++j)
            EXPECT_TRUE(sameBits(lanes[j], saturate(values[i + j]))) << values[i + j];
    }
}

TEST(PhaserStages, CosineTableSpansZeroToPi)
{
    PhaserStages stages(44100.0f);
    EXPECT_EQ(stages.cosineTable[0], 1.0f);
    EXPECT_EQ(stages.cosineTable[1024], -1.0f);
    EXPECT_LT(std::abs(stages.cosineTable[512]), 1e-7f);
}

TEST(PhaserStages, CoefficientsAtBZeroPutThePolesOnTheUnitCircleAtDc)
{
    PhaserStages stages(44100.0f);
    stepFirstStage(stages, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(stages.radius[0], 1.0f);
    EXPECT_EQ(stages.a1[0], -2.0f);
    EXPECT_EQ(stages.a2[0], 1.0f);
}

TEST(PhaserStages, CoefficientsAtBHalf)
{
    PhaserStages stages(44100.0f);
    stepFirstStage(stages, 0.0f, 0.5f, 0.0f);
    EXPECT_EQ(stages.radius[0], 0.75f);
    EXPECT_EQ(stages.a1[0], -2.0f * 0.75f * stages.cosineTable[512]);
    EXPECT_LT(std::abs(stages.a1[0]), 1e-7f);
    EXPECT_EQ(stages.a2[0], 0.5625f);
}

TEST(PhaserStages, LargeSectionTwoOutputSaturatesTheFeedback)
{
    // Drive section 2 to exactly 400 in one step: all histories 0, a2 = 1 at b = 0, so
    // out2 = w = input + offset.
    PhaserStages stages(44100.0f);
    const float out = stepFirstStage(stages, 400.0f - 1e-9f, 0.0f, 0.0f);
    EXPECT_EQ(stages.y2[0], 400.0f);
    EXPECT_EQ(stages.feedback1[0], 4.0f * 0.9999985f);
    EXPECT_NEAR(stages.feedback1[0], 3.999994f, 1e-6f);
    EXPECT_EQ(out, stages.feedback1[0] + stages.feedback2[0]);
}

TEST(PhaserStages, SilenceSettlesAtASmallNegativeConstantWithoutDenormals)
{
    PhaserStages stages(44100.0f);
    float out = 0.0f;
    for (int i = 0; i < 200000; ++i)
        out = stepFirstStage(stages, 0.0f, 0.3f, 0.0f);
    EXPECT_LT(out, -1e-7f);
    EXPECT_GT(out, -2e-6f);
    EXPECT_NEAR(stages.y1[0], 1e-9f, 1e-12f);
    EXPECT_NEAR(stages.y2[0], 1e-9f, 1e-12f);
    EXPECT_FALSE(testkit::hasBadNumber(stages));
}

TEST(PhaserStages, PassesEveryFrequencyAtUnitGainWithoutFeedback)
{
    // Section 2 alone (k = 0) is an all-pass: a sine keeps its amplitude.
    for (float hz : {100.0f, 1000.0f, 8000.0f})
    {
        PhaserStages stages(44100.0f);
        double inEnergy = 0.0, outEnergy = 0.0;
        for (int n = 0; n < 48000; ++n)
        {
            const float x = 0.1f * static_cast<float>(std::sin(2.0 * M_PI * hz * n / 48000.0));
            stepFirstStage(stages, x, 0.2f, 0.0f);
            if (n >= 8000)
            {
                inEnergy += static_cast<double>(x + 1e-9f) * (x + 1e-9f);
                outEnergy += static_cast<double>(stages.y2[0]) * stages.y2[0];
            }
        }
        EXPECT_NEAR(outEnergy / inEnergy, 1.0, 0.01) << hz;
    }
}

// Six literal stages beside the lanes: each channel's three stages as the literal channel runs
// them (half, quarter and eighth of the input, summed in order, restarted from rest when they
// start running again), with the runaway guard the lanes have.
struct LiteralStages
{
    reference::Channel channels[2];

    explicit LiteralStages(float fs)
        : channels{reference::Channel(fs, reference::Mode::Product),
                   reference::Channel(fs, reference::Mode::Product)}
    {
        for (reference::Channel& c : channels)
            for (reference::Stage& s : c.stages)
                s.guardLimit = PhaserStages::kRunawayLimit;
    }

    reference::Stage& stage(int channel, int stage) { return channels[channel].stages[stage - 1]; }

    // Steps both channels and the lanes alike; stops the test at the first bit that differs.
    void stepBoth(PhaserStages& lanes, const float (&input)[2], const float (&b)[2][3], float k,
                  float type, const std::string& what)
    {
        lanes.step(input, b, k, type);
        for (int c : {kRight, kLeft})
        {
            const float out = channels[c].runStages(input[c], b[c][0], b[c][1], b[c][2], k, type);
            ASSERT_TRUE(sameBits(lanes.output[c], out))
                << what << " channel " << c << ": " << lanes.output[c] << " against " << out;
            for (int s = 1; s <= 3; ++s)
                expectSameState(lanes, c, s, what);
        }
    }

    void expectSameState(const PhaserStages& lanes, int channel, int stageNumber,
                         const std::string& what)
    {
        const int i = PhaserStages::lane(channel, stageNumber);
        const reference::Stage& s = stage(channel, stageNumber);
        const float mine[] = {lanes.x1[i],
                              lanes.x1Prev[i],
                              lanes.y1[i],
                              lanes.y1Prev[i],
                              lanes.x2[i],
                              lanes.x2Prev[i],
                              lanes.y2[i],
                              lanes.y2Prev[i],
                              lanes.feedback1[i],
                              lanes.feedback2[i],
                              lanes.framesBelowFloor[i]};
        const float theirs[] = {s.x1, s.x1p, s.y1,  s.y1p, s.x2,         s.x2p,
                                s.y2, s.y2p, s.fb1, s.fb2, s.framesBelow};
        for (int m = 0; m < 11; ++m)
            ASSERT_TRUE(sameBits(mine[m], theirs[m]))
                << what << " lane " << i << " member " << m << ": " << mine[m] << " against "
                << theirs[m];
    }
};

// Random frequencies per lane, random feedback, noise in: every lane keeps the literal stage's
// bits, output and state.
TEST(PhaserStages, EveryLaneMatchesTheLiteralStageBitForBit)
{
    const unsigned seed = 11;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> signal(-0.5f, 0.5f), unit(0.0f, 1.0f);
    for (int trial = 0; trial < 10; ++trial)
    {
        PhaserStages lanes(44100.0f);
        LiteralStages literal(44100.0f);
        const float k = unit(rng);
        float low[2][3], high[2][3];
        for (auto* ends : {low, high})
            for (int c = 0; c < 2; ++c)
                for (int s = 0; s < 3; ++s)
                    ends[c][s] = unit(rng);
        for (int n = 0; n < 3000; ++n)
        {
            float b[2][3];
            for (int c = 0; c < 2; ++c)
                for (int s = 0; s < 3; ++s)
                    b[c][s] =
                        low[c][s] + (high[c][s] - low[c][s]) * static_cast<float>(n % 500) / 500.0f;
            literal.stepBoth(lanes, {signal(rng), signal(rng)}, b, k, 2.0f,
                             "seed " + std::to_string(seed) + " trial " + std::to_string(trial) +
                                 " frame " + std::to_string(n));
            if (HasFatalFailure())
                return;
        }
    }
}

TEST(PhaserStages, FrequencyJustAboveOneReadsTheLastCosine)
{
    PhaserStages stages(44100.0f);
    stepFirstStage(stages, 0.0f, 1.00000024f, 0.5f);
    EXPECT_EQ(stages.a1[0], -2.0f * stages.radius[0] * -1.0f);
    EXPECT_EQ(stages.radius[0], 1.0f - 1.00000024f * 0.5f); // the radius is not clamped
}

// One stage runs away; it alone restarts from rest, silent for the frame, and the five others
// go on as the literal stages do, bit for bit.
class PhaserStagesRunaway : public ::testing::TestWithParam<int>
{
};

TEST_P(PhaserStagesRunaway, OneLaneRestartsWhileTheOthersGoOn)
{
    const int lane = GetParam();
    const int channel = lane % 2, stageNumber = lane / 2 + 1;
    PhaserStages lanes(44100.0f);
    LiteralStages literal(44100.0f);
    const unsigned seed = 17;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> signal(-0.5f, 0.5f);
    const float b[2][3] = {{0.0f, 0.02f, 0.3f}, {0.01f, 0.1f, 0.6f}};
    for (int n = 0; n < 300; ++n)
        literal.stepBoth(lanes, {signal(rng), signal(rng)}, b, 0.8f, 2.0f, "before");
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(lanes.restartedLanes, 0u);

    // At b near 0 (a1 about -2, a2 about 1) a section's output is about 2 y - yPrev.
    const float limit = PhaserStages::kRunawayLimit;
    float runaway[2][3];
    std::memcpy(runaway, b, sizeof b);
    runaway[channel][stageNumber - 1] = 0.0f;
    lanes.y2[lane] = literal.stage(channel, stageNumber).y2 = 0.45f * limit;
    lanes.y2Prev[lane] = literal.stage(channel, stageNumber).y2p = -0.45f * limit;
    literal.stepBoth(lanes, {signal(rng), signal(rng)}, runaway, 0.8f, 2.0f, "restart");
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(lanes.restartedLanes, 1u << lane);
    EXPECT_EQ(literal.stage(channel, stageNumber).restarts, 1);
    EXPECT_TRUE(lanes.restarted[channel]);
    EXPECT_FALSE(lanes.restarted[1 - channel]);
    EXPECT_EQ(lanes.y2[lane], 0.0f);
    EXPECT_EQ(lanes.framesBelowFloor[lane], 0.0f);
    for (int n = 0; n < 300; ++n)
        literal.stepBoth(lanes, {signal(rng), signal(rng)}, b, 0.8f, 2.0f, "after");
    EXPECT_EQ(lanes.restartedLanes, 0u);
}

INSTANTIATE_TEST_SUITE_P(Lanes, PhaserStagesRunaway, ::testing::Range(0, 6));

// Every member a stage has, as lanes.
using LaneMember = float (PhaserStages::*)[PhaserStages::kLanes];
constexpr LaneMember kMembers[] = {&PhaserStages::a1,        &PhaserStages::a2,
                                   &PhaserStages::radius,    &PhaserStages::x1,
                                   &PhaserStages::x1Prev,    &PhaserStages::y1,
                                   &PhaserStages::y1Prev,    &PhaserStages::x2,
                                   &PhaserStages::x2Prev,    &PhaserStages::y2,
                                   &PhaserStages::y2Prev,    &PhaserStages::feedback1,
                                   &PhaserStages::feedback2, &PhaserStages::framesBelowFloor};

// TYPE moving between 0, 1 and 2 (and fractions, negatives, NaN) mid-stream: the running lanes
// keep the literal bits, a lane that starts running again starts from rest, and every lane
// that does not run keeps each of its members, coefficients included, untouched.
TEST(PhaserStages, TypeSwitchingMidStreamLeavesIdleLanesUntouched)
{
    const unsigned seed = 23;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> signal(-1.0f, 1.0f), unit(0.0f, 1.0f);
    const float types[] = {0.0f, 1.0f, 2.0f, 0.5f, 1.999f, 2.5f, -1.0f, NAN, 1.0f, 0.0f, 2.0f};
    PhaserStages lanes(48000.0f);
    LiteralStages literal(48000.0f);
    const float b[2][3] = {{0.05f, 0.3f, 0.9f}, {0.08f, 0.5f, 1.0f}};
    std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(types)) - 1);
    for (int block = 0; block < 300; ++block)
    {
        const float type = types[pick(rng)];
        const int frames = 1 + static_cast<int>(unit(rng) * 40.0f);
        const bool run2 = type > 0.0f, run3 = type >= 2.0f;
        for (int n = 0; n < frames; ++n)
        {
            float before[std::size(kMembers)][PhaserStages::kLanes];
            for (std::size_t m = 0; m < std::size(kMembers); ++m)
                std::memcpy(before[m], lanes.*kMembers[m], sizeof before[m]);
            const std::string what = "seed " + std::to_string(seed) + " block " +
                                     std::to_string(block) + " type " + std::to_string(type);
            literal.stepBoth(lanes, {signal(rng), signal(rng)}, b, 0.9f, type, what);
            ASSERT_FALSE(HasFatalFailure());
            for (int c : {kRight, kLeft})
                for (int s = 2; s <= 3; ++s)
                {
                    if (s == 2 ? run2 : run3)
                        continue;
                    const int i = PhaserStages::lane(c, s);
                    for (std::size_t m = 0; m < std::size(kMembers); ++m)
                        ASSERT_TRUE(sameBits((lanes.*kMembers[m])[i], before[m][i]))
                            << what << " lane " << i << " member " << m;
                }
        }
    }
}

TEST(PhaserStages, AFrequencyThatStaysBelowTheFloorIsHeldThereAfterOneSecond)
{
    const float fs = 1000.0f; // one second is 1000 frames
    const float below = 2e-6f, floor = PhaserStages::kFrequencyFloor;
    PhaserStages stages(fs);
    for (int n = 1; n < 1000; ++n)
    {
        stepFirstStage(stages, 0.1f, below, 0.5f);
        ASSERT_EQ(stages.radius[0], 1.0f - below * 0.5f) << n; // the plain recursion
    }
    stepFirstStage(stages, 0.1f, below, 0.5f);
    EXPECT_EQ(stages.radius[0], 1.0f - floor * 0.5f);
    stepFirstStage(stages, 0.1f, 0.5f * floor, 0.5f);
    EXPECT_EQ(stages.radius[0], 1.0f - floor * 0.5f); // held while it stays below
    stepFirstStage(stages, 0.1f, floor, 0.5f);
    EXPECT_EQ(stages.radius[0], 1.0f - floor * 0.5f);
    stepFirstStage(stages, 0.1f, below, 0.5f); // at the floor the count starts again
    EXPECT_EQ(stages.radius[0], 1.0f - below * 0.5f);
    for (int n = 0; n < 990; ++n)
        stepFirstStage(stages, 0.1f, below, 0.5f);
    stages.startFromRest(1u); // and so it does from rest
    stepFirstStage(stages, 0.1f, below, 0.5f);
    EXPECT_EQ(stages.radius[0], 1.0f - below * 0.5f);
    EXPECT_EQ(stages.framesBelowFloor[0], 1.0f);
}

TEST(PhaserStages, FloorHoldCountsWholeFramesAtAnyRate)
{
    // A float counts frames exactly up to 2^24; the hold stops short of that.
    EXPECT_EQ(PhaserStages(96000.0f).floorHoldFrames, 96000.0f);
    EXPECT_EQ(PhaserStages(1e9f).floorHoldFrames, 8388608.0f);
}

// Runs of frames give, frame by frame and member by member, the bits of single steps: with
// TYPE changing between runs, frequencies below the floor whose hold sets in mid-run (the
// hold is 500 frames here), and huge samples in one channel restarting its stages mid-run.
TEST(PhaserStages, RunsGiveTheBitsOfSingleSteps)
{
    const unsigned seed = 31;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> signal(-0.5f, 0.5f), unit(0.0f, 1.0f);
    std::uniform_int_distribution<int> runLength(1, PhaserStages::kMaxFrames);
    const float types[] = {0.0f, 1.0f, 2.0f, 2.0f};
    const float frequencies[] = {1e-5f, 0.0f, 1.00000024f, 0.02f, 0.3f, 0.9f};
    PhaserStages run(500.0f), step(500.0f);
    float b[PhaserStages::kLanes] = {};
    unsigned restartedLanes = 0, floorHeld = 0;
    for (int r = 0; r < 800; ++r)
    {
        const float type = types[static_cast<int>(unit(rng) * 4.0f)];
        if (r % 100 == 0)
            for (int i = 0; i < 6; ++i)
                b[i] = frequencies[static_cast<int>(unit(rng) * 6.0f)];
        const int frames = runLength(rng);
        float input[PhaserStages::kMaxFrames][2], lanesB[PhaserStages::kMaxFrames][8];
        for (int n = 0; n < frames; ++n)
        {
            input[n][kRight] = signal(rng);
            input[n][kLeft] = signal(rng);
            std::memcpy(lanesB[n], b, sizeof b);
            lanesB[n][6] = lanesB[n][7] = NAN; // the spares' entries are not read
        }
        if (r % 9 == 4 && r % 100 < 50)
            input[static_cast<int>(unit(rng) * frames)][unit(rng) < 0.5f] = 1e30f;
        float out[PhaserStages::kMaxFrames][2];
        unsigned frameRestarted[PhaserStages::kMaxFrames];
        run.run(frames, input, lanesB, 0.7f, type, out, frameRestarted);
        const std::string what = "seed " + std::to_string(seed) + " run " + std::to_string(r);
        for (int n = 0; n < frames; ++n)
        {
            step.step(input[n], {{b[0], b[2], b[4]}, {b[1], b[3], b[5]}}, 0.7f, type);
            restartedLanes |= step.restartedLanes;
            ASSERT_EQ(frameRestarted[n], step.restartedLanes) << what << " frame " << n;
            for (int c : {kRight, kLeft})
                ASSERT_TRUE(sameBits(out[n][c], step.output[c])) << what << " frame " << n;
        }
        for (std::size_t m = 0; m < std::size(kMembers); ++m)
            for (int i = 0; i < PhaserStages::kLanes; ++i)
                ASSERT_TRUE(sameBits((run.*kMembers[m])[i], (step.*kMembers[m])[i]))
                    << what << " member " << m << " lane " << i;
        for (int c : {kRight, kLeft})
        {
            ASSERT_TRUE(sameBits(run.output[c], step.output[c])) << what;
            ASSERT_EQ(run.restarted[c], step.restarted[c]) << what;
        }
        for (int i = 0; i < 6; ++i)
            if (step.framesBelowFloor[i] >= step.floorHoldFrames)
                floorHeld |= 1u << i;
    }
    EXPECT_NE(restartedLanes, 0u); // the cases this is about did happen
    EXPECT_NE(floorHeld, 0u);
}

// A huge or non-finite value in one channel: its stages restart rather than keep it, and the
// other channel's lanes run on as the literal stages do, bit for bit.
class PhaserStagesHostileChannel : public ::testing::TestWithParam<float>
{
};

TEST_P(PhaserStagesHostileChannel, NeverReachesTheStateNorTheOtherChannel)
{
    const float hostile = GetParam();
    for (int channel : {kRight, kLeft})
    {
        PhaserStages lanes(44100.0f);
        reference::Channel other(44100.0f, reference::Mode::Product);
        const float b[2][3] = {{0.1f, 0.4f, 0.8f}, {0.1f, 0.4f, 0.8f}};
        std::mt19937 rng(29);
        std::uniform_real_distribution<float> signal(-0.5f, 0.5f);
        for (int n = 0; n < 200; ++n)
        {
            float input[2];
            input[1 - channel] = signal(rng);
            input[channel] = n % 20 < 10 ? hostile : signal(rng);
            lanes.step(input, b, 1.0f, 2.0f);
            const float expected =
                other.runStages(input[1 - channel], 0.1f, 0.4f, 0.8f, 1.0f, 2.0f);
            ASSERT_TRUE(sameBits(lanes.output[1 - channel], expected))
                << hostile << " in channel " << channel << " frame " << n;
            ASSERT_TRUE(std::isfinite(lanes.output[channel])) << hostile << " frame " << n;
            ASSERT_FALSE(lanes.restarted[1 - channel]);
        }
        EXPECT_FALSE(testkit::hasBadNumber(lanes)) << hostile;
    }
}

INSTANTIATE_TEST_SUITE_P(Values, PhaserStagesHostileChannel,
                         ::testing::Values(1e30f, -1e30f, 3.4e38f, INFINITY, NAN));

} // namespace
} // namespace qev
