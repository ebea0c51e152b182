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

inline bool hasBadNumber(const PhaserStage& s)
{
    for (float v :
         {s.x1, s.x1Prev, s.y1, s.y1Prev, s.x2, s.x2Prev, s.y2, s.y2Prev, s.feedback1, s.feedback2})
        if (!std::isfinite(v) || std::fpclassify(v) == FP_SUBNORMAL)
            return true;
    return false;
}

inline bool hasBadNumber(const StereoPhaser& e)
{
    for (const ChannelPhaser* c : {e.left.get(), e.right.get()})
    {
        if (hasBadNumber(*c->stage1) || hasBadNumber(*c->stage2) || hasBadNumber(*c->stage3))
            return true;
        if (!std::isfinite(c->lfo->phase) || !std::isfinite(c->output))
            return true;
    }
    for (const DcFilter* d : {e.leftDc.get(), e.rightDc.get()})
        if (!std::isfinite(d->lastInput) || !std::isfinite(d->lastOutput) ||
            std::fpclassify(d->lastOutput) == FP_SUBNORMAL)
            return true;
    return false;
}

// The output's peak over the level of the dry signal (input peak x 2 VOLUME^2): the engine
// keeps it at kLevelBound or below whatever the setting, without restarting a stage.
constexpr float kLevelBound = 8.0f;

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
        level.restarted = level.restarted || engine.left->restarted || engine.right->restarted;
    }
    const float volume = params.get(kParamVolume);
    level.ratio = std::isfinite(peak) ? peak / (inputPeak * 2.0f * volume * volume) : INFINITY;
    return level;
}

} // namespace testkit
} // namespace qev
