#include "engine/StereoPhaser.h"
#include "engine/FactorySettings.h"

#include "tests/engine/EngineTestKit.h"
#include "tests/engine/ReferencePhaser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace qev
{
namespace
{

using testkit::apply;
using testkit::copyOut;
using testkit::hasBadNumber;

// A sweep over the whole table: its rate limit lies far above every rate the LFO can be given
// at 44.1 kHz, so the rate asked for is the rate run.
void applyWideSweep(EngineParams& params)
{
    params.set(kParamLoFreq, 0.0f);
    params.set(kParamHiFreq, 1.0f);
}

// Runs the engine and the reference side by side on noise and stops at the first frame
// whose output differs in any bit. The engine processes blocks of random lengths, single
// frames (the path of step()) and runs shorter and longer than its own included.
void expectSameOutput(StereoPhaser& engine, reference::Phaser& reference,
                      const EngineParams& params, int frames, float tempo, unsigned seed,
                      const std::string& what)
{
    float p[kNumParams];
    copyOut(params, p);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    std::uniform_int_distribution<int> blockLength(1, 3 * PhaserStages::kMaxFrames);
    std::vector<float> left, right;
    for (int done = 0; done < frames;)
    {
        const int block = std::min(blockLength(rng), frames - done);
        left.resize(block);
        right.resize(block);
        for (int n = 0; n < block; ++n)
        {
            left[n] = noise(rng);
            right[n] = noise(rng);
        }
        std::vector<float> refL = left, refR = right;
        engine.process(left.data(), right.data(), block, tempo);
        for (int n = 0; n < block; ++n, ++done)
        {
            reference.run(p, refL[n], refR[n], tempo);
            ASSERT_EQ(left[n], refL[n]) << what << " frame " << done << " seed " << seed;
            ASSERT_EQ(right[n], refR[n]) << what << " frame " << done << " seed " << seed;
        }
    }
}

// Every factory setting against the reference, half a second each. Literal cases are the
// settings the rate limit and the frequency floor must leave as they are; Product cases
// include synced rates the limit lowers.
struct ExactCase
{
    float sampleRate;
    float syncSpeed;
    float tempo;
    reference::Mode mode;
};

class StereoPhaserExact : public ::testing::TestWithParam<ExactCase>
{
};

TEST_P(StereoPhaserExact, EveryFactorySettingMatchesTheReference)
{
    const ExactCase c = GetParam();
    for (const FactorySetting& setting : kFactorySettings)
    {
        EngineParams params;
        apply(params, setting);
        params.set(kParamSyncSpeed, c.syncSpeed);
        StereoPhaser engine(c.sampleRate, params);
        reference::Phaser reference(c.sampleRate, c.mode);
        expectSameOutput(engine, reference, params, static_cast<int>(c.sampleRate / 2), c.tempo,
                         1000u + static_cast<unsigned>(c.sampleRate), setting.name);
    }
}

constexpr auto kLiteral = reference::Mode::Literal;
constexpr auto kProduct = reference::Mode::Product;

INSTANTIATE_TEST_SUITE_P(Rates, StereoPhaserExact,
                         ::testing::Values(ExactCase{44100.0f, 0.0f, 120.0f, kLiteral},
                                           ExactCase{96000.0f, 0.0f, 120.0f, kLiteral},
                                           ExactCase{44100.0f, 7.0f, 180.0f, kLiteral},
                                           ExactCase{48000.0f, 7.0f, 180.0f, kLiteral},
                                           ExactCase{48000.0f, 3.0f, 133.0f, kLiteral},
                                           ExactCase{22050.0f, 9.0f, 90.0f, kLiteral},
                                           ExactCase{192000.0f, 5.0f, 240.0f, kProduct},
                                           ExactCase{8000.0f, 12.0f, 60.0f, kProduct},
                                           ExactCase{44100.0f, 7.0f, 300.0f, kProduct},
                                           ExactCase{96000.0f, 7.0f, 240.0f, kProduct},
                                           ExactCase{192000.0f, 1.0f, 1000.0f, kProduct}),
                         [](const auto& info)
                         {
                             const ExactCase& c = info.param;
                             return std::to_string(static_cast<int>(c.sampleRate)) + "Hz_sync" +
                                    std::to_string(static_cast<int>(c.syncSpeed)) + "_" +
                                    std::to_string(static_cast<int>(c.tempo)) + "bpm" +
                                    (c.mode == kLiteral ? "_unchanged" : "");
                         });

TEST(StereoPhaser, RandomSettingsMatchTheReference)
{
    const unsigned seed = 20261208;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int trial = 0; trial < 12; ++trial)
    {
        EngineParams params;
        for (int i = 1; i <= 9; ++i)
            params.set(i, unit(rng));
        params.set(kParamSyncSpeed, static_cast<float>(static_cast<int>(unit(rng) * 13.0f)));
        params.set(kParamType, static_cast<float>(static_cast<int>(unit(rng) * 3.0f)));
        const float tempo = 20.0f + 480.0f * unit(rng);
        StereoPhaser engine(44100.0f, params);
        reference::Phaser reference(44100.0f);
        expectSameOutput(engine, reference, params, 20000, tempo, seed + trial,
                         "trial " + std::to_string(trial));
    }
}

// Automation mid-stream: TYPE moving between 0, 1 and 2 (stages stopping, and starting again
// from rest), sweep ends and feedback moving, every few hundred frames. Every frame keeps the
// reference's bits.
TEST(StereoPhaser, AutomationMidStreamMatchesTheReference)
{
    const unsigned seed = 20261209;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f), noise(-1.0f, 1.0f);
    EngineParams params;
    testkit::apply(params, kFactorySettings[0]);
    StereoPhaser engine(48000.0f, params);
    reference::Phaser reference(48000.0f);
    float p[kNumParams];
    for (int block = 0; block < 200; ++block)
    {
        params.set(kParamType, static_cast<float>(static_cast<int>(unit(rng) * 3.0f)));
        if (block % 3 == 0)
        {
            params.set(kParamLoFreq, unit(rng));
            params.set(kParamHiFreq, unit(rng));
            params.set(kParamFeedback, unit(rng));
        }
        copyOut(params, p);
        const int frames = 1 + static_cast<int>(unit(rng) * 400.0f);
        for (int n = 0; n < frames; ++n)
        {
            float l = noise(rng), r = noise(rng);
            float refL = l, refR = r;
            engine.step(l, r, 120.0f);
            reference.run(p, refL, refR, 120.0f);
            ASSERT_EQ(l, refL) << "block " << block << " type " << p[kParamType] << " seed "
                               << seed;
            ASSERT_EQ(r, refR) << "block " << block << " type " << p[kParamType] << " seed "
                               << seed;
        }
    }
}

// Free-running, every factory program keeps every bit at every sample rate: the rate limit
// lies above every program's free rate, and the frequency floor, which holds only a stage
// frequency that stays below it for a second, never holds theirs. Above 48 kHz their sweeps
// dip below the floor around the LFO's lowest point (phase 192, where the right channel's
// stages are watched), the longest "Wet Hard Mono" at 192 kHz, for 0.89 s per cycle; a stretch
// of the dip runs against the literal algorithm.
TEST(StereoPhaser, FreeRunningFactoryProgramsAreUnchangedAtEverySampleRate)
{
    for (float fs : {22050.0f, 44100.0f, 48000.0f, 88200.0f, 96000.0f, 176400.0f, 192000.0f})
    {
        for (const FactorySetting& setting : kFactorySettings)
        {
            const std::string what = std::string(setting.name) + " at " + std::to_string(fs);
            EngineParams params;
            apply(params, setting);
            StereoPhaser engine(fs, params);
            const float speed = setting.values[0];
            EXPECT_GE(engine.right->maxLfoRate(setting.values[2], setting.values[3]),
                      speed * speed * speed * 6.0f)
                << what;
            if (engine.right->frequencyTable[0] >= PhaserStages::kFrequencyFloor)
                continue; // nothing reaches the floor
            // The dip: 20 table steps either side of the lowest point.
            engine.right->lfo->phase = 172.0f;
            float longest = 0.0f;
            while (engine.right->lfo->phase < 212.0f)
            {
                float l = 0.5f, r = -0.5f;
                engine.step(l, r, 120.0f);
                for (int stage = 1; stage <= 3; ++stage)
                    longest = std::max(longest, engine.stages->framesBelowFloor[PhaserStages::lane(
                                                    PhaserStages::kRight, stage)]);
            }
            EXPECT_LT(longest, engine.stages->floorHoldFrames) << what;
            if (fs == 192000.0f && std::string(setting.name) == "Wet Hard Mono")
            {
                EXPECT_GT(longest, 0.8f * fs) << what; // the longest dip, watched whole
            }
        }
        if (fs == 96000.0f || fs == 192000.0f)
        {
            const FactorySetting& slowSweep = kFactorySettings[1];
            EngineParams params;
            apply(params, slowSweep);
            StereoPhaser engine(fs, params);
            reference::Phaser reference(fs, reference::Mode::Literal);
            engine.right->lfo->phase = reference.right.phase = 188.0f;
            // Up to the lowest point, well inside the dip.
            const float speed = slowSweep.values[0];
            const float frames = 4.0f / (256.0f * speed * speed * speed * 6.0f / fs);
            expectSameOutput(engine, reference, params, static_cast<int>(frames), 120.0f, 7,
                             std::string(slowSweep.name) + " at " + std::to_string(fs));
            EXPECT_GT(engine.stages->framesBelowFloor[PhaserStages::lane(PhaserStages::kRight, 1)],
                      0.0f);
        }
    }
}

// Synced up to 180 BPM (18 Hz at most) at 44.1 and 48 kHz, the limit leaves every factory
// program's rate as it is, and the floor lies below the whole frequency table.
TEST(StereoPhaser, SyncedFactoryProgramsUpTo180BpmAreUnchangedAt44And48Khz)
{
    for (float fs : {44100.0f, 48000.0f})
    {
        EngineParams params;
        StereoPhaser engine(fs, params);
        EXPECT_GT(engine.right->frequencyTable[0], PhaserStages::kFrequencyFloor);
        for (const FactorySetting& setting : kFactorySettings)
            EXPECT_GE(engine.right->maxLfoRate(setting.values[2], setting.values[3]),
                      1440.0f * 180.0f / StereoPhaser::kSyncScale)
                << setting.name << " at " << fs;
    }
}

TEST(StereoPhaser, SyncRatesFollowTheTempo)
{
    EngineParams params;
    applyWideSweep(params);
    StereoPhaser engine(44100.0f, params);
    float l = 0, r = 0;
    const float expected120[] = {8, 4, 2, 1, 0.5f, 0.25f, 12, 6, 3, 1.5f, 0.75f, 0.375f};
    for (int sync = 1; sync <= 12; ++sync)
    {
        params.set(kParamSyncSpeed, static_cast<float>(sync));
        engine.step(l, r, 120.0f);
        EXPECT_EQ(engine.lfoRate, expected120[sync - 1]) << sync;
        engine.step(l, r, 60.0f); // half the tempo, half the rate
        EXPECT_EQ(engine.lfoRate, 0.5f * expected120[sync - 1]) << sync;
        engine.step(l, r, 240.0f);
        EXPECT_EQ(engine.lfoRate, 2.0f * expected120[sync - 1]) << sync;
    }
    params.set(kParamSyncSpeed, 3.0f);
    engine.step(l, r, 60.0f);
    EXPECT_EQ(engine.lfoRate, 1.0f); // "1/4" at 60 BPM: one cycle per beat
    params.set(kParamSyncSpeed, 0.0f);
    params.set(kParamSpeed, 0.5f);
    engine.step(l, r, 60.0f);
    EXPECT_EQ(engine.lfoRate, 0.75f);
}

TEST(StereoPhaser, At120BpmEverySyncedRateIsTheEntryOver120)
{
    // Saved projects at 120 BPM, and hosts without time information, keep their rates bit
    // for bit: entry * 120 / 14400 rounds to the same float as entry / 120.
    EngineParams params;
    applyWideSweep(params);
    StereoPhaser engine(44100.0f, params);
    float l = 0, r = 0;
    for (int sync = 1; sync <= StereoPhaser::kSyncEntries; ++sync)
    {
        params.set(kParamSyncSpeed, static_cast<float>(sync));
        engine.step(l, r, 120.0f);
        EXPECT_EQ(engine.lfoRate, engine.syncDivisors[sync - 1] / 120.0f) << sync;
    }
}

TEST(StereoPhaser, SyncedSweepsDependOnlyOnTheirRate)
{
    // "1/4" at 60 BPM and "1/2" at 120 BPM both last one second: the same output, bit for bit.
    const unsigned seed = 61;
    std::vector<float> outputs[2];
    const float syncs[] = {3.0f, 4.0f}, tempos[] = {60.0f, 120.0f};
    for (int i = 0; i < 2; ++i)
    {
        EngineParams params;
        apply(params, kFactorySettings[0]);
        params.set(kParamSyncSpeed, syncs[i]);
        StereoPhaser engine(48000.0f, params);
        std::mt19937 rng(seed);
        std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
        for (int n = 0; n < 96000; ++n)
        {
            float l = noise(rng), r = noise(rng);
            engine.step(l, r, tempos[i]);
            outputs[i].push_back(l);
            outputs[i].push_back(r);
        }
    }
    EXPECT_EQ(outputs[0], outputs[1]) << "seed " << seed;
}

TEST(StereoPhaser, SyncSpeedOutsideTheTable)
{
    EngineParams params;
    applyWideSweep(params);
    params.set(kParamSpeed, 0.5f);
    StereoPhaser engine(44100.0f, params);
    float l = 0, r = 0;
    for (float sync : {0.5f, 0.999f, -3.0f, NAN, -INFINITY})
    {
        params.set(kParamSyncSpeed, sync);
        engine.step(l, r, 120.0f);
        EXPECT_EQ(engine.lfoRate, 0.75f) << sync; // free running at SPEED
    }
    for (float sync : {12.5f, 13.0f, 1e30f, INFINITY})
    {
        params.set(kParamSyncSpeed, sync);
        engine.step(l, r, 120.0f);
        EXPECT_EQ(engine.lfoRate, 0.375f) << sync; // the last entry
    }
    params.set(kParamSyncSpeed, 3.7f);
    engine.step(l, r, 120.0f);
    EXPECT_EQ(engine.lfoRate, 2.0f);
}

TEST(StereoPhaser, TempoFallsBackTo120AndIsHeldTo1Through1000)
{
    EngineParams params;
    applyWideSweep(params);
    params.set(kParamSyncSpeed, 3.0f); // 240: 2 Hz at 120 BPM
    StereoPhaser engine(44100.0f, params);
    float l = 0, r = 0;
    struct
    {
        float tempo, rate;
    } cases[] = {{0.0f, 2.0f},
                 {-0.0f, 2.0f},
                 {-120.0f, 2.0f},
                 {INFINITY, 2.0f},
                 {-INFINITY, 2.0f},
                 {NAN, 2.0f},
                 {1e-45f, 240.0f / 14400.0f},
                 {0.5f, 240.0f / 14400.0f},
                 {1.0f, 240.0f / 14400.0f},
                 {1000.0f, 240000.0f / 14400.0f},
                 {1000.5f, 240000.0f / 14400.0f},
                 {3e38f, 240000.0f / 14400.0f}};
    for (const auto& c : cases)
    {
        engine.step(l, r, c.tempo);
        EXPECT_EQ(engine.lfoRate, c.rate) << c.tempo;
    }
}

TEST(StereoPhaser, FeedbackAmountAndGainCompensation)
{
    EngineParams params;
    StereoPhaser engine(44100.0f, params);
    float l = 0, r = 0;
    params.set(kParamFeedback, 1.0f);
    engine.step(l, r, 120.0f);
    EXPECT_EQ(engine.feedback, 1.0f);
    params.set(kParamFeedback, 0.0f);
    engine.step(l, r, 120.0f);
    EXPECT_EQ(engine.feedback, 0.0f);
    params.set(kParamFeedback, 0.5f);
    engine.step(l, r, 120.0f);
    EXPECT_EQ(engine.feedback, 0.9375f);
}

TEST(StereoPhaser, DryOnlyIsTheInputTimesTwiceVolumeSquared)
{
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    for (const FactorySetting& setting : kFactorySettings)
    {
        EngineParams params;
        apply(params, setting);
        params.set(kParamDryWet, 0.0f);
        const float volume = setting.values[8];
        StereoPhaser engine(44100.0f, params);
        for (int n = 0; n < 2000; ++n)
        {
            const float inL = noise(rng), inR = noise(rng);
            float l = inL, r = inR;
            engine.step(l, r, 120.0f);
            ASSERT_EQ(l, inL * volume * volume * 2.0f);
            ASSERT_EQ(r, inR * volume * volume * 2.0f);
        }
    }
}

TEST(StereoPhaser, VolumeZeroIsSilence)
{
    EngineParams params;
    apply(params, kFactorySettings[0]);
    params.set(kParamVolume, 0.0f);
    StereoPhaser engine(44100.0f, params);
    for (int n = 0; n < 1000; ++n)
    {
        float l = 0.7f, r = -0.3f;
        engine.step(l, r, 120.0f);
        ASSERT_EQ(l, 0.0f);
        ASSERT_EQ(r, 0.0f);
    }
}

TEST(StereoPhaser, PhaseZeroGivesIdenticalChannelsForMonoInput)
{
    EngineParams params;
    apply(params, kFactorySettings[0]);
    params.set(kParamPhase, 0.0f);
    StereoPhaser engine(48000.0f, params);
    std::mt19937 rng(9);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    for (int n = 0; n < 48000; ++n)
    {
        float l = noise(rng);
        float r = l;
        engine.step(l, r, 120.0f);
        ASSERT_EQ(l, r) << n;
    }
}

TEST(StereoPhaser, LeftLfoRunsAheadByThePhaseOffset)
{
    EngineParams params;
    apply(params, kFactorySettings[0]);
    StereoPhaser engine(44100.0f, params);
    float l = 0, r = 0;
    for (int n = 0; n < 100; ++n)
    {
        const float rightPhase = engine.right->lfo->phase;
        engine.step(l, r, 120.0f);
        const float written = rightPhase + 127.0f * 1.0f;
        const float folded = written > 255.0f ? written - 255.0f : written;
        ASSERT_EQ(engine.left->lfo->phase, folded + engine.left->lfo->increment);
    }
}

TEST(StereoPhaser, FrozenSweepWithConstantInputSettlesAtTheDryShare)
{
    EngineParams params;
    apply(params, kFactorySettings[0]);
    params.set(kParamSpeed, 0.0f);
    StereoPhaser engine(44100.0f, params);
    const float dryWet = kFactorySettings[0].values[7];
    const float volume = kFactorySettings[0].values[8];
    float l = 0, r = 0;
    for (int n = 0; n < 44100 * 3; ++n)
    {
        l = 0.5f;
        r = 0.5f;
        engine.step(l, r, 120.0f);
    }
    const float dry = 0.5f * (1.0f - dryWet) * 2.0f * volume * volume;
    EXPECT_NEAR(l, dry, 1e-6f);
    EXPECT_NEAR(r, dry, 1e-6f);
    EXPECT_LT(std::abs(engine.leftWet), 1e-6f);
}

TEST(StereoPhaser, DcFilterPoleAndOffset)
{
    DcFilter dc;
    float x = 1.0f;
    dc.process(x, 0.04f);
    EXPECT_EQ(x, 1.0f);
    EXPECT_EQ(dc.lastInput, 1.0f + 2.3283064e-10f);
    float y = 1.0f;
    dc.process(y, 0.04f);
    EXPECT_EQ(y, (1.0f - dc.offset - 1.0f) + 0.98300004f * 1.0f);
    EXPECT_EQ(0.999f - 0.04f * 0.4f, 0.98300004f);
}

TEST(StereoPhaser, SilenceLeavesNoDenormalAnywhere)
{
    for (const FactorySetting& setting : kFactorySettings)
    {
        EngineParams params;
        apply(params, setting);
        StereoPhaser engine(44100.0f, params);
        for (int n = 0; n < 44100 * 10; ++n)
        {
            float l = 0.0f, r = 0.0f;
            engine.step(l, r, 120.0f);
            if (n % 4410 == 0)
            {
                ASSERT_FALSE(hasBadNumber(engine)) << setting.name << " frame " << n;
            }
            ASSERT_NE(std::fpclassify(l), FP_SUBNORMAL);
        }
        EXPECT_FALSE(hasBadNumber(engine)) << setting.name;
    }
}

TEST(StereoPhaser, SixtySecondsOfNoiseThroughEveryFactorySettingStayBounded)
{
    const unsigned seed = 77;
    for (const FactorySetting& setting : kFactorySettings)
    {
        EngineParams params;
        apply(params, setting);
        StereoPhaser engine(44100.0f, params);
        std::mt19937 rng(seed);
        std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
        float peak = 0.0f;
        for (int n = 0; n < 44100 * 60; ++n)
        {
            float l = noise(rng), r = noise(rng);
            engine.step(l, r, 120.0f);
            peak = std::max({peak, std::abs(l), std::abs(r)});
        }
        EXPECT_LT(peak, 4.0f) << setting.name << " seed " << seed;
        EXPECT_FALSE(hasBadNumber(engine)) << setting.name;
    }
}

TEST(StereoPhaser, AutomationJumpingBetweenExtremesStaysFinite)
{
    const unsigned seed = 4242;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    const float extremes[] = {0.0f, 1.0f, 0.0f, 12.0f, 2.0f};
    EngineParams params;
    StereoPhaser engine(44100.0f, params);
    for (int block = 0; block < 2000; ++block)
    {
        for (int i = 1; i <= 9; ++i)
            params.set(i, rng() % 2 ? extremes[rng() % 2]
                                    : (i == 2   ? 12.0f
                                       : i == 6 ? 2.0f
                                                : 1.0f));
        for (int n = 0; n < 64; ++n)
        {
            float l = noise(rng), r = noise(rng);
            engine.step(l, r, 120.0f);
            ASSERT_TRUE(std::isfinite(l) && std::isfinite(r)) << "block " << block;
        }
    }
    EXPECT_FALSE(hasBadNumber(engine));
}

// Every parameter index with every hostile value: no table read outside (sanitizer build), no
// non-finite state, and normal output as soon as the values are normal again.
class StereoPhaserHostileValue : public ::testing::TestWithParam<float>
{
};

TEST_P(StereoPhaserHostileValue, OnEveryIndexLeavesTheStateFinite)
{
    const float hostile = GetParam();
    for (int index = 0; index < kNumParams; ++index)
    {
        EngineParams params;
        apply(params, kFactorySettings[0]);
        StereoPhaser engine(44100.0f, params);
        params.set(index, hostile);
        for (int n = 0; n < 2000; ++n)
        {
            float l = 0.5f, r = -0.5f;
            engine.step(l, r, 120.0f);
            ASSERT_TRUE(std::isfinite(l) && std::isfinite(r)) << "index " << index;
        }
        ASSERT_FALSE(hasBadNumber(engine)) << "index " << index;
        apply(params, kFactorySettings[0]);
        params.set(index, index >= 1 && index <= 9 ? kFactorySettings[0].values[index - 1] : 0.0f);
        for (int n = 0; n < 2000; ++n)
        {
            float l = 0.5f, r = -0.5f;
            engine.step(l, r, 120.0f);
            ASSERT_TRUE(std::abs(l) < 4.0f && std::abs(r) < 4.0f) << "index " << index;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Values, StereoPhaserHostileValue,
                         ::testing::Values(NAN, INFINITY, -INFINITY, 1e30f, -1e30f, 3.4e38f, -1.0f,
                                           13.5f, 1e-45f));

// A hostile sample in one channel only leaves the other channel's output bit for bit as the
// reference gives it, and the engine's state finite.
TEST_P(StereoPhaserHostileValue, InOneChannelLeavesTheOtherAsItWas)
{
    const float hostile = GetParam();
    for (bool inLeft : {true, false})
    {
        EngineParams params;
        apply(params, kFactorySettings[5]); // "6 Stage Phaser": all six lanes run
        float p[kNumParams];
        copyOut(params, p);
        StereoPhaser engine(44100.0f, params);
        reference::Phaser reference(44100.0f);
        std::mt19937 rng(13);
        std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
        for (int n = 0; n < 3000; ++n)
        {
            float l = noise(rng), r = noise(rng);
            (inLeft ? l : r) = n % 300 < 100 ? hostile : (inLeft ? l : r);
            float refL = l, refR = r;
            engine.step(l, r, 120.0f);
            reference.run(p, refL, refR, 120.0f);
            ASSERT_EQ(inLeft ? r : l, inLeft ? refR : refL) << hostile << " frame " << n;
            ASSERT_TRUE(std::isfinite(l) && std::isfinite(r)) << hostile << " frame " << n;
        }
        EXPECT_FALSE(hasBadNumber(engine)) << hostile;
    }
}

TEST(StereoPhaser, HostileInputSamplesNeverReachTheState)
{
    EngineParams params;
    apply(params, kFactorySettings[0]);
    StereoPhaser engine(44100.0f, params);
    for (float input : {NAN, INFINITY, -INFINITY, 3.4e38f, -1e30f})
    {
        for (int n = 0; n < 100; ++n)
        {
            float l = input, r = input;
            engine.step(l, r, 120.0f);
        }
        EXPECT_FALSE(hasBadNumber(engine)) << input;
    }
}

// Blocks of any length give the bits frame-by-frame steps give, whatever happens inside a
// block: the parameters changing between blocks (TYPE between 0, 1 and 2, sweep ends,
// feedback, sync), stages restarting on a huge sample in one channel (and the DC blocker
// reset with them), non-finite samples. Both channels' buffers the same works too.
TEST(StereoPhaser, BlocksGiveTheBitsOfSingleSteps)
{
    const unsigned seed = 20261210;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f), noise(-1.0f, 1.0f);
    std::uniform_int_distribution<int> blockLength(1, 3 * PhaserStages::kMaxFrames);
    const float hostile[] = {1e30f, -3e37f, NAN, INFINITY};
    EngineParams params;
    apply(params, kFactorySettings[5]);
    StereoPhaser blocks(44100.0f, params), steps(44100.0f, params);
    const auto bits = [](float v)
    {
        uint32_t b;
        std::memcpy(&b, &v, sizeof b);
        return b;
    };
    long restarts = 0;
    for (int block = 0; block < 600; ++block)
    {
        params.set(kParamType, static_cast<float>(static_cast<int>(unit(rng) * 3.0f)));
        if (block % 4 == 0)
        {
            params.set(kParamLoFreq, unit(rng));
            params.set(kParamHiFreq, unit(rng));
            params.set(kParamFeedback, unit(rng));
            params.set(kParamSyncSpeed, unit(rng) < 0.5f ? 0.0f : unit(rng) * 13.0f);
        }
        const int frames = blockLength(rng);
        const bool mono = block % 7 == 3;
        std::vector<float> left(frames), right(frames);
        for (int n = 0; n < frames; ++n)
        {
            left[n] = noise(rng);
            right[n] = noise(rng);
        }
        if (block % 5 == 2) // a hostile sample somewhere in one channel
            (unit(rng) < 0.5f ? left : right)[static_cast<int>(unit(rng) * frames)] =
                hostile[static_cast<int>(unit(rng) * 4.0f)];
        std::vector<float> stepLeft = left, stepRight = mono ? left : right;
        blocks.process(left.data(), mono ? left.data() : right.data(), frames, 120.0f);
        for (int n = 0; n < frames; ++n)
        {
            if (mono)
                steps.step(stepLeft[n], stepLeft[n], 120.0f);
            else
                steps.step(stepLeft[n], stepRight[n], 120.0f);
            restarts += steps.stages->restarted[0] || steps.stages->restarted[1];
            const std::string what =
                "seed " + std::to_string(seed) + " block " + std::to_string(block);
            ASSERT_EQ(bits(left[n]), bits(stepLeft[n])) << what << " frame " << n;
            ASSERT_EQ(bits(mono ? left[n] : right[n]), bits(mono ? stepLeft[n] : stepRight[n]))
                << what << " frame " << n;
        }
        ASSERT_EQ(blocks.rightDc->lastOutput, steps.rightDc->lastOutput) << block;
        ASSERT_EQ(blocks.leftDc->lastOutput, steps.leftDc->lastOutput) << block;
        ASSERT_EQ(blocks.stages->restartedLanes, steps.stages->restartedLanes) << block;
    }
    EXPECT_GT(restarts, 10); // the huge samples did restart stages, mid-block among others
    EXPECT_FALSE(hasBadNumber(blocks));
}

TEST(StereoPhaser, RebuildStartsFreshChannelsButKeepsTheDcFilters)
{
    EngineParams params;
    apply(params, kFactorySettings[0]);
    StereoPhaser engine(44100.0f, params);
    for (int n = 0; n < 1000; ++n)
    {
        float l = 0.3f, r = 0.2f;
        engine.step(l, r, 120.0f);
    }
    const float dcState = engine.leftDc->lastOutput;
    for (float fs : {8000.0f, 22050.0f, 88200.0f, 192000.0f, 384000.0f})
    {
        ASSERT_TRUE(engine.rebuild(fs));
        EXPECT_EQ(engine.left->sampleRate, fs);
        EXPECT_EQ(engine.left->lfo->phase, 0.0f);
        EXPECT_EQ(engine.stages->y1[PhaserStages::lane(PhaserStages::kRight, 1)], 0.0f);
        EXPECT_EQ(engine.leftDc->lastOutput, dcState);
    }
}

} // namespace
} // namespace qev
