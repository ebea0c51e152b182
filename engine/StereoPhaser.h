#pragma once

#include "engine/ChannelPhaser.h"
#include "engine/DcFilter.h"
#include "engine/EngineParams.h"
#include "engine/PhaserStages.h"

#include <cmath>
#include <memory>

namespace qev
{

// The whole signal path of one plug-in instance: LFO rate (free or synced to the host tempo),
// feedback amount and stereo phase offset from the parameters; one channel phaser (the sweep)
// per channel; the stages of both channels, stepped side by side; DC blocking, feedback gain
// compensation, dry/wet crossfade and output volume.
//
// Runs on the audio thread. Parameters are read once per step(), and once per run of up to
// PhaserStages::kMaxFrames frames in process(). Whatever a host sends, no
// table is read outside and no state becomes non-finite; values inside their domains pass
// unchanged, so they give exactly the documented result:
// - SPEED, LOFREQ, HIFREQ, PHASE, FEEDBACK, DRYWET and VOLUME are held to 0..1 (NaN gives 0);
// - SYNC_SPEED below 1 (fractions, negatives, NaN) runs free at SPEED, above 12 uses 12;
// - TYPE counts by comparison: above 0 runs two stages, 2 and above three;
// - a non-finite input sample counts as silence.
//
// The output's peak stays within 8 x the dry level (input peak x 2 VOLUME^2) for every setting
// at 22.05 to 192 kHz, as tools/engine_survey measures: the LFO runs no faster than the sweep
// follows (rateFor), and a stage frequency resting below the float recursion's stable range
// is held at a floor (PhaserStages).
class StereoPhaser
{
public:
    static constexpr int kSyncEntries = kLastSyncEntry;
    static constexpr float kDcCutoff = 0.04f;
    static constexpr float kDefaultTempo = 120.0f;
    static constexpr float kMinTempo = 1.0f;
    static constexpr float kMaxTempo = 1000.0f;
    // The sync table holds each note value's rate at 120 BPM times 120, so the rate at a tempo
    // is entry * tempo / (120 * 120); at 120 BPM that is the same float as entry / 120.
    static constexpr float kSyncScale = 14400.0f;
    // The sample rates the tables are valid for. Below 44100^(2/3), about 1248.6 Hz, the
    // frequency table's lowest entry lies above the half sample rate, so no knob position maps
    // into the audio band (a host that sends kilohertz for hertz sends 44.1); far above the
    // top, entries of the frequency and spread tables overflow to infinity (from about
    // 3.3e9 Hz) and the sweep's bottom sinks into denormal numbers.
    static constexpr float kMinSampleRate = 1250.0f;
    static constexpr float kMaxSampleRate = 1e9f;

    // params must outlive the engine. sampleRate as for rebuild(); a refused rate builds for
    // 44100 Hz.
    StereoPhaser(float sampleRate, const EngineParams& params);

    // Whether rebuild() takes the rate: kMinSampleRate..kMaxSampleRate. NaN is refused.
    static bool acceptsSampleRate(float sampleRate)
    {
        return sampleRate >= kMinSampleRate && sampleRate <= kMaxSampleRate;
    }

    // Replaces both channel phasers (fresh LFO phase), the stages (zeroed state) and the sync table
    // for a new sample rate; the DC filters keep their state. A rate acceptsSampleRate()
    // refuses is refused: the engine keeps its tables and returns false. Must not overlap
    // step().
    bool rebuild(float sampleRate);

    // One stereo frame in place. tempo in beats per minute; a tempo that is not a positive
    // finite number counts as 120, and the rest is held to 1..1000 BPM.
    void step(float& leftSample, float& rightSample, float tempo)
    {
        process(&leftSample, &rightSample, 1, tempo);
    }

    // `frames` stereo frames from the inputs to the outputs (none for frames < 1), each exactly
    // as step() gives it while the parameters stay as they are. Every run's input is read whole
    // before its output is written, so any output may be any input at the same position: in
    // place, channels swapped, or one buffer for both channels.
    void process(const float* leftIn, const float* rightIn, float* leftOut, float* rightOut,
                 int frames, float tempo);
    // The same in place.
    void process(float* leftSamples, float* rightSamples, int frames, float tempo)
    {
        process(leftSamples, rightSamples, leftSamples, rightSamples, frames, tempo);
    }

    std::unique_ptr<ChannelPhaser> left;
    std::unique_ptr<ChannelPhaser> right;
    std::unique_ptr<PhaserStages> stages; // both channels' stages
    std::unique_ptr<DcFilter> leftDc;
    std::unique_ptr<DcFilter> rightDc;
    float feedback; // feedback amount k of the current frame
    float rightWet, leftWet;
    std::unique_ptr<float[]> syncDivisors; // note values, per SYNC_SPEED 1..12: 120 x Hz at 120 BPM
    float lfoRate;                         // LFO rate of the current frame, Hz
    const EngineParams& params;
    // The rate limit for the sweep ends it was computed for; NaN ends force a new one.
    float limitLowPosition, limitHighPosition, rateLimit;

private:
    inline float rateFor(float speed, float syncSpeed, float tempo, float lowPosition,
                         float highPosition);
    inline float rateLimitFor(float lowPosition, float highPosition);
    static float safeInput(float sample);
    // Up to PhaserStages::kMaxFrames frames: the sweep of every frame, then the stages through
    // all of them, then DC blocking and the mix.
    void processRun(const float* leftIn, const float* rightIn, float* leftOut, float* rightOut,
                    int frames, float tempo);
};

// The LFO rate of the frame: free at SPEED or synced to the tempo, then held to the fastest
// rate the sweep follows (ChannelPhaser::maxLfoRate). A free rate above it runs at the limit;
// a synced rate is halved until it is within, whole octaves that keep the sweep on the beat
// grid. Every free rate of every factory program lies within the limit at every sample rate,
// and so does every synced rate of theirs up to 180 BPM at 44.1 and 48 kHz.
inline float StereoPhaser::rateLimitFor(float lowPosition, float highPosition)
{
    // The limit changes only with the sweep ends, so it is computed again only when one moves.
    if (!(lowPosition == limitLowPosition && highPosition == limitHighPosition))
    {
        rateLimit = right->maxLfoRate(lowPosition, highPosition);
        limitLowPosition = lowPosition;
        limitHighPosition = highPosition;
    }
    return rateLimit;
}

inline float StereoPhaser::rateFor(float speed, float syncSpeed, float tempo, float lowPosition,
                                   float highPosition)
{
    const float limit = rateLimitFor(lowPosition, highPosition);
    // SYNC_SPEED below 1 (including fractions a host may automate between 0 and 1, negatives
    // and NaN) runs free at SPEED; whole parts above 12 use the last entry.
    const int entry = syncEntryOf(syncSpeed);
    if (entry > 0)
    {
        if (!(tempo > 0.0f && std::isfinite(tempo)))
            tempo = kDefaultTempo;
        tempo = clampOrLow(tempo, kMinTempo, kMaxTempo);
        float rate = (syncDivisors[entry - 1] * tempo) / kSyncScale;
        while (rate > limit) // ends: the limit is above 0 and halving reaches 0
            rate *= 0.5f;
        return rate;
    }
    const float rate = speed * speed * speed * 6.0f;
    return rate < limit ? rate : limit;
}

inline float StereoPhaser::safeInput(float sample)
{
    // A non-finite input would poison every filter history for good.
    return std::isfinite(sample) ? sample : 0.0f;
}

} // namespace qev
