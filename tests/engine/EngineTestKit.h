#pragma once

// Helpers shared by the engine's tests: settings into parameters, finite-state checks, and the
// output level of a run against the bound the engine keeps.

#include "engine/FactorySettings.h"
#include "engine/StereoPhaser.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace qev
{
namespace testkit
{

inline void apply(EngineParams& params, const FactorySetting& setting)
{
    for (int i = 0; i < 9; ++i)
        params.set(i + 1, setting.values[i]);
}

inline void copyOut(const EngineParams& params, float (&p)[kNumParams])
{
    for (int i = 0; i < kNumParams; ++i)
        p[i] = params.get(i);
}

inline bool hasBadNumber(const PhaserStages& s)
{
    for (int i = 0; i < PhaserStages::kLanes; ++i)
        for (float v : {s.x1[i], s.x1Prev[i], s.y1[i], s.y1Prev[i], s.x2[i], s.x2Prev[i], s.y2[i],
                        s.y2Prev[i], s.feedback1[i], s.feedback2[i]})
            if (!std::isfinite(v) || std::fpclassify(v) == FP_SUBNORMAL)
                return true;
    return !std::isfinite(s.output[0]) || !std::isfinite(s.output[1]);
}

inline bool hasBadNumber(const StereoPhaser& e)
{
    if (hasBadNumber(*e.stages))
        return true;
    for (const ChannelPhaser* c : {e.left.get(), e.right.get()})
        if (!std::isfinite(c->lfo->phase))
            return true;
    for (const DcFilter* d : {e.leftDc.get(), e.rightDc.get()})
        if (!std::isfinite(d->lastInput) || !std::isfinite(d->lastOutput) ||
            std::fpclassify(d->lastOutput) == FP_SUBNORMAL)
            return true;
    return false;
}

// The output's peak over the level of the dry signal (input peak x 2 VOLUME^2): the engine
// keeps it at kLevelBound or below whatever the setting, without restarting a stage.
constexpr float kLevelBound = 8.0f;

// Steps the right channel's first stage as a single stage: the other stages do not run, and
// the stage hears half the channel's input. Returns the stage's output.
inline float stepFirstStage(PhaserStages& stages, float input, float b, float k)
{
    stages.step({2.0f * input, 0.0f}, {{b, b, b}, {b, b, b}}, k, 0.0f);
    return stages.output[PhaserStages::kRight];
}

struct Level
{
    float ratio = 0.0f;
    bool restarted = false;
};

enum class Signal
{
    Noise,
    Sine // 440 Hz
};

// Runs the engine for `seconds` on a signal of peak `inputPeak` at `tempo`; the seed feeds
// the noise.
inline Level measureLevel(StereoPhaser& engine, const EngineParams& params, float sampleRate,
                          float seconds, Signal signal, float tempo, float inputPeak = 0.9f,
                          unsigned seed = 1)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> noise(-inputPeak, inputPeak);
    const double step = 2.0 * M_PI * 440.0 / sampleRate;
    Level level;
    float peak = 0.0f;
    const long frames = static_cast<long>(sampleRate * seconds);
    for (long n = 0; n < frames; ++n)
    {
        float l, r;
        if (signal == Signal::Noise)
        {
            l = noise(rng);
            r = noise(rng);
        }
        else
        {
            l = r = static_cast<float>(inputPeak * std::sin(step * static_cast<double>(n)));
        }
        engine.step(l, r, tempo);
        peak = std::max({peak, std::abs(l), std::abs(r)});
        level.restarted =
            level.restarted || engine.stages->restarted[0] || engine.stages->restarted[1];
    }
    const float volume = params.get(kParamVolume);
    level.ratio = std::isfinite(peak) ? peak / (inputPeak * 2.0f * volume * volume) : INFINITY;
    return level;
}

} // namespace testkit
} // namespace qev
