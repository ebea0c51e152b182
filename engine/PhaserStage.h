#pragma once

#include "engine/FloatOps.h"
#include "engine/TableLookup.h"

#include <cmath>
#include <memory>

namespace qev
{

// Rational approximation of tanh built from the first four terms of the exponential series:
// odd, within -1..1, approaching +-1 as 1 - 12/(q + 6). Zero counts as positive.
inline float saturate(float x)
{
    // |2x| is exact in float whenever it is finite, and overflows to infinity exactly when the
    // double route (2x in double, rounded to float) does, so float arithmetic gives the same
    // value without the two conversions on the feedback chain.
    const float a = std::abs(2.0f * x);
    const float q = 6.0f + a * (6.0f + a * (3.0f + a));
    return negatedIfNegative((q - 6.0f) / (q + 6.0f), x);
}

// The filter core: two identical second-order all-pass sections running side by side on the
// same input, cross-coupled: section 1 hears section 2's saturated output, section 2 hears
// section 1's output, both with gain k * 0.999 from the previous frame.
//
// Frequency floor. Below b = 1.22e-5 the interpolated cosine rounds to 1.0 and r * r rounds
// to 2r - 1, which puts a pole exactly on z = 1 in float: held there, the recursion integrates
// its own rounding errors (a steady 440 Hz sine at 192 kHz with LOFREQ = HIFREQ = 0 grows to
// 14 times its level after 5 s, and to 58 times later on). A stage frequency that stays below
// kFrequencyFloor = 1.5e-5 for kFloorHoldSeconds is held at the floor, where the poles lie
// strictly inside: 40 s of the same sine stay at their level at 88.2 to 192 kHz, with and
// without feedback. The hold is a third of the shortest time the growth took to show (3 s).
// The floor lies below every frequency the tables give at 44.1 and 48 kHz; at 88.2 to 192 kHz
// it moves the bottom of a sweep that rests there from 0.03..0.12 Hz to 0.66..1.44 Hz. A moving
// sweep only passes through: the factory programs dip below the floor for at most 0.89 s per
// cycle at 88.2 to 192 kHz ("Wet Hard Mono" at 192 kHz), so they keep every bit, as does every
// stage frequency above the floor. (At 384 kHz that program's dip lasts 1.9 s and the floor
// holds the last 0.9 s of it.) The hold counts frames, one count per stage, and selects the
// floor rather than branching.
//
// Runaway guard. With its coefficients modulated by the LFO, the direct-form all-pass
// recursion can gain energy from the modulation itself (parametric growth). The engine keeps
// the LFO slow enough for the sweep (StereoPhaser's rate limit), so in normal operation
// |out1| + |out2| stays far below kRunawayLimit; as a last resort a sum beyond it, or one that
// is not finite, restarts the stage from rest, silent for that frame, and marks the frame in
// `restarted` so that the owner can keep the jump out of its DC blocker. Below the limit the
// step is the plain recursion, bit for bit.
class PhaserStage
{
public:
    static constexpr int kCosineSteps = 1024;
    static constexpr float kRunawayLimit = 10000.0f;
    static constexpr float kFrequencyFloor = 1.5e-5f;
    static constexpr float kFloorHoldSeconds = 1.0f;

    // sampleRate in hertz sets how many frames make kFloorHoldSeconds.
    explicit PhaserStage(float sampleRate);

    // One frame. b: normalised frequency (1.0 = half the sample rate), expected in 0..1 and
    // read up to 1 in the cosine table whatever it is; k: feedback amount, 0..1.
    inline float step(float input, float b, float k);

    // Zeroes the histories, both feedback values and the floor's hold count, as in a newly
    // built stage.
    void startFromRest();

    float a1, a2;     // all-pass coefficients of the current frame
    float radius;     // pole radius of the current frame, 0.5..1
    float x1, x1Prev; // section 1 input one and two samples back
    float y1, y1Prev; // section 1 output one and two samples back
    float x2, x2Prev; // section 2 input one and two samples back
    float y2, y2Prev; // section 2 output one and two samples back
    float feedback1;  // saturated output of section 2, fed into section 1
    float feedback2;  // output of section 1, fed into section 2
    float denormalOffset;
    // cos(i*pi/1024) for i = 0..1024, plus a guard copy of the last entry so that a lookup at
    // the very end, whose second entry has weight 0, stays inside the table.
    std::unique_ptr<float[]> cosineTable;
    float framesBelowFloor; // consecutive frames with b below the floor (up to 2^24)
    float floorHoldFrames;  // kFloorHoldSeconds in frames
    bool restarted;         // whether the last step restarted the stage

private:
    float cosineAt(float b) const;
    inline float heldFrequency(float b);
};

inline float PhaserStage::cosineAt(float b) const
{
    // The first stage's frequency can exceed 1.0 by a rounding error (the frequency table's
    // top entry is 1.00000024 at some rates): the position, and only the position, is held
    // within the table.
    const float p =
        clampOrLow(b * static_cast<float>(kCosineSteps), 0.0f, static_cast<float>(kCosineSteps));
    return interpolate(cosineTable.get(), p);
}

inline float PhaserStage::heldFrequency(float b)
{
    // The count stops growing by itself at 2^24, where adding 1 no longer changes a float.
    framesBelowFloor = b < kFrequencyFloor ? framesBelowFloor + 1.0f : 0.0f;
    return framesBelowFloor >= floorHoldFrames ? kFrequencyFloor : b;
}

inline float PhaserStage::step(float input, float b, float k)
{
    b = heldFrequency(b);
    const float in = input + denormalOffset;
    radius = 1.0f - b * 0.5f;
    const float cosine = cosineAt(b);
    a1 = -2.0f * radius * cosine;
    a2 = radius * radius;

    const float u = in + feedback1 * k * 0.999f;
    const float out1 = a2 * u + a1 * x1 + x1Prev - a1 * y1 - a2 * y1Prev;
    const float w = in + feedback2 * k * 0.999f;
    const float out2 = a2 * w + a1 * x2 + x2Prev - a1 * y2 - a2 * y2Prev;
    restarted = !(std::abs(out1) + std::abs(out2) <= kRunawayLimit); // also true for NaN
    if (restarted)
    {
        startFromRest();
        return 0.0f;
    }

    y1Prev = y1;
    y1 = out1;
    x1Prev = x1;
    x1 = u;
    y2Prev = y2;
    y2 = out2;
    x2Prev = x2;
    x2 = w;

    feedback2 = out1 + denormalOffset;
    float s = out2 * 0.25f;
    s = s - valueIfPositive(s, 2.11e-7f);
    feedback1 = 4.0f * saturate(s);
    return feedback1 + feedback2;
}

} // namespace qev
