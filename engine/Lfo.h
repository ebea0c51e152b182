#pragma once

#include "engine/TableLookup.h"

#include <cmath>

namespace qev
{

// Sine table oscillator sweeping one channel's phaser. The phase counts table steps; the cycle
// folds at 255 although the table spans 256 steps, so the output jumps once per cycle by about
// 0.0245 and the true cycle rate is 256/255 of the rate set.
class Lfo
{
public:
    static constexpr int kTableSize = 256;
    static constexpr float kFoldSteps = 255.0f;

    explicit Lfo(float sampleRate);
    virtual ~Lfo() = default;

    // Phase advance per sample for a rate in hertz (any finite value; 0 freezes the phase).
    void setRate(float hertz) { increment = 256.0f * hertz / sampleRate; }

    // Value of this frame in -1..1, then advances the phase by one increment.
    inline float step();

    // The phase this frame reads, folded into the cycle, then advances the phase by one
    // increment: step() without the table lookup, for valueAt() later.
    inline float advance();
    // The value at a phase advance() gave: linear interpolation in the sine table, for a
    // float or lane by lane.
    template <class T> T valueAt(T readPhase) const { return interpolate(sineTable, readPhase); }

    float phase;     // position in the cycle, table steps; the stereo offset writes it directly
    float increment; // phase advance per sample, table steps
    float sampleRate;
    float sineTable[kTableSize + 1]; // sin(2*pi*i/256); entry 256 repeats the cycle's start
    int index;                       // whole part of the phase read in the last step
    float fraction;                  // fractional part of the phase read in the last step

private:
    static float wrapPhase(float phase);
};

inline float Lfo::advance()
{
    if (phase > kFoldSteps)
        phase -= kFoldSteps;
    // One subtraction is enough for every phase the engine writes at sane rates; a phase
    // still outside the cycle (an absurd rate, a negative rate, a non-finite value) is
    // wrapped here so the table is never read outside.
    if (!(phase >= 0.0f && phase <= kFoldSteps))
        phase = wrapPhase(phase);
    const float readPhase = phase;
    phase += increment;
    return readPhase;
}

inline float Lfo::step()
{
    const float readPhase = advance();
    index = static_cast<int>(readPhase);
    fraction = readPhase - static_cast<float>(index);
    return valueAt(readPhase);
}

} // namespace qev
