#pragma once

#include "engine/ChannelPhaser.h"
#include "engine/DcFilter.h"
#include "engine/EngineParams.h"

#include <cmath>
#include <memory>

namespace qev
{

// The whole signal path of one plug-in instance: LFO rate (free or synced to the host tempo),
// feedback amount and stereo phase offset from the parameters; one channel phaser per channel;
// DC blocking, feedback gain compensation, dry/wet crossfade and output volume.
//
// Runs on the audio thread. Parameters are read once per frame. Whatever a host sends, no
// table is read outside and no state becomes non-finite; values inside their domains pass
// unchanged, so they give exactly the documented result:
// - SPEED, LOFREQ, HIFREQ, PHASE, FEEDBACK, DRYWET and VOLUME are held to 0..1 (NaN gives 0);
// - SYNC_SPEED below 1 (fractions, negatives, NaN) runs free at SPEED, above 12 uses 12;
// - TYPE counts by comparison: above 0 runs two stages, 2 and above three;
// - a non-finite input sample counts as silence.
class StereoPhaser
{
public:
    static constexpr int kSyncEntries = 12;
    static constexpr float kDcCutoff = 0.04f;
    static constexpr float kDefaultTempo = 120.0f;
    static constexpr float kMinTempo = 1.0f;

    // params must outlive the engine. sampleRate as for rebuild(); a refused rate builds for
    // 44100 Hz.
    StereoPhaser(float sampleRate, const EngineParams& params);

    // Replaces both channel phasers (fresh LFO phase, zeroed stage state) and the sync table
    // for a new sample rate; the DC filters keep their state. A rate that is zero, negative or
    // not finite is refused: the engine keeps its tables and returns false. Must not overlap
    // step().
    bool rebuild(float sampleRate);

    // One stereo frame in place. tempo in beats per minute; a tempo that is not a positive
    // finite number counts as 120, and tempos below 1 BPM as 1 BPM.
    inline void step(float& leftSample, float& rightSample, float tempo);

    std::unique_ptr<ChannelPhaser> left;
    std::unique_ptr<ChannelPhaser> right;
    std::unique_ptr<DcFilter> leftDc;
    std::unique_ptr<DcFilter> rightDc;
    float feedback; // feedback amount k of the current frame
    float rightWet, leftWet;
    std::unique_ptr<float[]> syncDivisors; // LFO rate times tempo, per SYNC_SPEED 1..12
    float lfoRate;                         // LFO rate of the current frame, Hz
    const EngineParams& params;

private:
    inline float rateFor(float speed, float syncSpeed, float tempo) const;
    static float safeInput(float sample);
};

inline float StereoPhaser::rateFor(float speed, float syncSpeed, float tempo) const
{
    // SYNC_SPEED below 1 (including fractions a host may automate between 0 and 1, negatives
    // and NaN) runs free at SPEED; whole parts above 12 use the last entry.
    if (syncSpeed >= 1.0f)
    {
        const int entry = syncSpeed < static_cast<float>(kSyncEntries) ? static_cast<int>(syncSpeed)
                                                                       : kSyncEntries;
        if (!(tempo > 0.0f && std::isfinite(tempo)))
            tempo = kDefaultTempo;
        tempo = tempo > kMinTempo ? tempo : kMinTempo;
        return syncDivisors[entry - 1] / tempo;
    }
    return speed * speed * speed * 6.0f;
}

inline float StereoPhaser::safeInput(float sample)
{
    // A non-finite input would poison every filter history for good.
    return std::isfinite(sample) ? sample : 0.0f;
}

inline void StereoPhaser::step(float& leftSample, float& rightSample, float tempo)
{
    const float speed = clampOrLow(params.get(kParamSpeed), 0.0f, 1.0f);
    const float syncSpeed = params.get(kParamSyncSpeed);
    const float lowPosition = params.get(kParamLoFreq);
    const float highPosition = params.get(kParamHiFreq);
    const float phase = clampOrLow(params.get(kParamPhase), 0.0f, 1.0f);
    const float type = params.get(kParamType);
    const float feedbackKnob = clampOrLow(params.get(kParamFeedback), 0.0f, 1.0f);
    const float dryWet = clampOrLow(params.get(kParamDryWet), 0.0f, 1.0f);
    const float volume = clampOrLow(params.get(kParamVolume), 0.0f, 1.0f);

    const float rightIn = safeInput(rightSample);
    const float leftIn = safeInput(leftSample);

    left->oscillator().phase = right->oscillator().phase + 127.0f * phase;
    lfoRate = rateFor(speed, syncSpeed, tempo);
    const float u = 1.0f - feedbackKnob;
    feedback = 1.0f - u * u * u * u;

    rightWet = right->step(rightIn, lfoRate, lowPosition, highPosition, feedback, type);
    leftWet = left->step(leftIn, lfoRate, lowPosition, highPosition, feedback, type);

    rightDc->process(rightWet, kDcCutoff);
    leftDc->process(leftWet, kDcCutoff);

    const float gain = 1.0f - feedback * 0.8333333f;
    rightWet *= gain;
    leftWet *= gain;

    rightSample = (rightWet * dryWet + rightIn * (1.0f - dryWet)) * volume * volume * 2.0f;
    leftSample = (leftWet * dryWet + leftIn * (1.0f - dryWet)) * volume * volume * 2.0f;
}

} // namespace qev
