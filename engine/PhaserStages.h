#pragma once

#include "engine/EngineParams.h"
#include "engine/FloatLanes.h"
#include "engine/FloatOps.h"

#include <cmath>
#include <memory>

namespace qev
{

// Rational approximation of tanh built from the first four terms of the exponential series:
// odd, within -1..1, approaching +-1 as 1 - 12/(q + 6). Zero counts as positive. For a float
// or lane by lane.
template <class T> inline T saturate(T x)
{
    using std::abs;
    // |2x| is exact in float whenever it is finite, and overflows to infinity exactly when the
    // double route (2x in double, rounded to float) does, so float arithmetic gives the same
    // value without the two conversions on the feedback chain.
    const T a = abs(T(2.0f) * x);
    const T q = T(6.0f) + a * (T(6.0f) + a * (T(3.0f) + a));
    return negatedIfNegative((q - 6.0f) / (q + 6.0f), x);
}

// The phaser stages of both channels, the filter core, stepped side by side in lanes.
//
// Each stage: two identical second-order all-pass sections running side by side on the same
// input, cross-coupled: section 1 hears section 2's saturated output, section 2 hears
// section 1's output, both with gain k * 0.999 from the previous frame. Each lane is one
// stage: its members below hold, lane by lane, the fields a single stage has, and one step
// runs the same float operations on every lane in the same order as on a single stage, so
// every lane gives the bits the stage would give alone.
//
// Lanes: [right 1, left 1, right 2, left 2 | right 3, left 3, spare, spare], where "right 2"
// is the right channel's second stage (lane(kRight, 2)). The first stage of each channel
// always runs, the second for TYPE above 0, the third for TYPE 2 and above. TYPE 0 steps the
// first two lanes, TYPE 1 the first four (one SSE register), TYPE 2 all eight (two registers,
// their operations interleaved so that both feedback chains advance together); a stage that
// does not run is neither read nor written, so it keeps every member unchanged, and one that
// starts running again starts from rest, as a new stage does (resuming from the state it froze
// in would replay the audio it last heard). The spares run with the third stages, on silence at
// kSpareFrequency, and nothing reads their output.
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
// holds the last 0.9 s of it.) The hold counts frames, one count per stage.
//
// Runaway guard. With its coefficients modulated by the LFO, the direct-form all-pass
// recursion can gain energy from the modulation itself (parametric growth). The engine keeps
// the LFO slow enough for the sweep (StereoPhaser's rate limit), so in normal operation
// |out1| + |out2| stays far below kRunawayLimit; as a last resort a sum beyond it, or one that
// is not finite, restarts that stage alone from rest, silent for that frame, and marks the
// frame in `restarted` so that the owner can keep the jump out of its DC blocker. Below the
// limit the step is the plain recursion, bit for bit.
//
// Runs on the audio thread; allocates nothing per step.
class PhaserStages
{
public:
    static constexpr int kLanes = 8;
    static constexpr int kCosineSteps = 1024;
    static constexpr float kRunawayLimit = 10000.0f;
    static constexpr float kFrequencyFloor = 1.5e-5f;
    static constexpr float kFloorHoldSeconds = 1.0f;
    static constexpr float kSpareFrequency = 0.5f;

    enum Channel : int
    {
        kRight = 0,
        kLeft = 1
    };
    // The lane of a channel's stage 1, 2 or 3.
    static constexpr int lane(int channel, int stage) { return 2 * (stage - 1) + channel; }

    // sampleRate in hertz sets how many frames make kFloorHoldSeconds. All lanes at rest.
    explicit PhaserStages(float sampleRate);

    // One frame of both channels' stages. input: each channel's input sample; b: each
    // channel's stage frequencies 1, 2, 3, normalised (1.0 = half the sample rate), expected
    // in 0..1 and read up to 1 in the cosine table whatever they are; k: feedback amount, 0..1;
    // type: counts the stages beyond the first (fractions: > 0 runs two, >= 2 runs three).
    // Stage 1 hears half the input, stage 2 a quarter, stage 3 an eighth. Sets output[] to each
    // channel's summed stage outputs and restarted[] to whether one of its stages restarted.
    // Always inlined: a call would make the caller spill its live floats around it.
    __attribute__((always_inline)) inline void step(const float (&input)[2], const float (&b)[2][3],
                                                    float k, float type);

    // Zeroes every member that carries from frame to frame, in the lanes whose bit is set in
    // lanes (bit i for lane i): the histories, both feedback values and the floor's hold count.
    void startFromRest(unsigned lanes);

    // Each a lane per stage, as laid out above.
    alignas(16) float a1[kLanes], a2[kLanes];     // all-pass coefficients of the last frame run
    alignas(16) float radius[kLanes];             // pole radius of the last frame run, 0.5..1
    alignas(16) float x1[kLanes], x1Prev[kLanes]; // section 1 input one and two samples back
    alignas(16) float y1[kLanes], y1Prev[kLanes]; // section 1 output one and two samples back
    alignas(16) float x2[kLanes], x2Prev[kLanes]; // section 2 input one and two samples back
    alignas(16) float y2[kLanes], y2Prev[kLanes]; // section 2 output one and two samples back
    alignas(16) float feedback1[kLanes]; // saturated output of section 2, fed into section 1
    alignas(16) float feedback2[kLanes]; // output of section 1, fed into section 2
    // Consecutive frames with b below the floor (up to 2^24).
    alignas(16) float framesBelowFloor[kLanes];
    float denormalOffset;  // 1e-9, on the input and on the fed-back section 1 output
    float floorHoldFrames; // kFloorHoldSeconds in frames
    // cos(i*pi/1024) for i = 0..1024, plus a guard copy of the last entry so that a lookup at
    // the very end, whose second entry has weight 0, stays inside the table.
    std::unique_ptr<float[]> cosineTable;
    unsigned ranLanes;       // lanes that ran in the last frame
    unsigned restartedLanes; // lanes the last frame restarted
    float output[2];         // per channel: summed stage outputs of the last frame
    bool restarted[2];       // per channel: whether one of its stages restarted in the last frame

private:
    // Steps the first `width` lanes from `first` on (2 or 4 of a FloatLanes, 8 of a
    // FloatLanePair) and reads or writes no other. Returns each lane's output, 0 where the
    // stage restarted.
    template <class Lanes>
    __attribute__((always_inline)) inline Lanes stepGroup(int first, int width, Lanes input,
                                                          Lanes b, Lanes k);
};

template <class Lanes>
inline Lanes PhaserStages::stepGroup(int first, int width, Lanes input, Lanes b, Lanes k)
{
    const auto load = [&](const float* member) { return Lanes::loadFirst(member + first, width); };
    const auto store = [&](Lanes value, float* member) { value.storeFirst(member + first, width); };

    // The count stops growing by itself at 2^24, where adding 1 no longer changes a float.
    const Lanes count = lessThan(b, kFrequencyFloor) & (load(framesBelowFloor) + 1.0f);
    store(count, framesBelowFloor);
    b = select(atLeast(count, floorHoldFrames), kFrequencyFloor, b);

    const Lanes in = input + denormalOffset;
    const Lanes r = 1.0f - b * 0.5f;
    store(r, radius);
    // The first stage's frequency can exceed 1.0 by a rounding error (the frequency table's
    // top entry is 1.00000024 at some rates): the position, and only the position, is held
    // within the table.
    const Lanes cosine =
        interpolate(cosineTable.get(), clampOrLow(b * static_cast<float>(kCosineSteps), 0.0f,
                                                  static_cast<float>(kCosineSteps)));
    const Lanes c1 = -2.0f * r * cosine;
    const Lanes c2 = r * r;
    store(c1, a1);
    store(c2, a2);

    // One direct-form all-pass section on in plus its fed-back value: shifts the section's
    // histories and returns its output.
    const auto section = [&](float* x, float* xPrev, float* y, float* yPrev, Lanes fedBack)
    {
        const Lanes lastX = load(x), lastY = load(y);
        const Lanes sectionIn = in + fedBack * k * 0.999f; // u for section 1, w for section 2
        const Lanes out = c2 * sectionIn + c1 * lastX + load(xPrev) - c1 * lastY - c2 * load(yPrev);
        store(lastY, yPrev);
        store(out, y);
        store(lastX, xPrev);
        store(sectionIn, x);
        return out;
    };
    const Lanes out1 = section(x1, x1Prev, y1, y1Prev, load(feedback1));
    const Lanes out2 = section(x2, x2Prev, y2, y2Prev, load(feedback2));

    const Lanes fed2 = out1 + denormalOffset;
    store(fed2, feedback2);
    Lanes s = out2 * 0.25f;
    s = s - valueIfPositive(s, 2.11e-7f);
    const Lanes fed1 = 4.0f * saturate(s);
    store(fed1, feedback1);
    const Lanes output = fed1 + fed2;

    // Also true for NaN. Rare: the stages that ran away start from rest, silent this frame.
    const Lanes restart = notAtMost(abs(out1) + abs(out2), kRunawayLimit);
    if (const unsigned lanes = restart.bits() & ((1u << width) - 1u))
    {
        startFromRest(lanes << first);
        restartedLanes |= lanes << first;
        return zeroWhere(restart, output);
    }
    return output;
}

inline void PhaserStages::step(const float (&input)[2], const float (&b)[2][3], float k, float type)
{
    // Both channels' lanes of each stage; the spare lanes run with the third stages.
    const unsigned stage1 = 0x03u, stage2 = 0x0cu, stage3 = 0xf0u;
    const int extraStages = extraStagesOf(type);
    const unsigned runs =
        stage1 | (extraStages >= 1 ? stage2 : 0u) | (extraStages >= 2 ? stage3 : 0u);
    if (const unsigned rising = runs & ~ranLanes)
        startFromRest(rising);
    ranLanes = runs;
    restartedLanes = 0;

    const float right1 = input[kRight] * 0.5f, left1 = input[kLeft] * 0.5f;
    const float right2 = right1 * 0.5f, left2 = left1 * 0.5f;
    const float right3 = right2 * 0.5f, left3 = left2 * 0.5f;
    const FloatLanes input12 = FloatLanes::of(right1, left1, right2, left2);
    const FloatLanes b12 = FloatLanes::of(b[kRight][0], b[kLeft][0], b[kRight][1], b[kLeft][1]);
    // Per channel, stage 1 + stage 2, then + stage 3, as far as they run.
    FloatLanes sum;
    if (runs == stage1)
    {
        sum = stepGroup(0, 2, input12, b12, FloatLanes(k));
    }
    else if (!(runs & stage3))
    {
        const FloatLanes out = stepGroup(0, 4, input12, b12, FloatLanes(k));
        sum = out + out.upperHalf();
    }
    else
    {
        const FloatLanes input3 = FloatLanes::of(right3, left3, 0.0f, 0.0f);
        const FloatLanes b3 =
            FloatLanes::of(b[kRight][2], b[kLeft][2], kSpareFrequency, kSpareFrequency);
        const FloatLanePair out = stepGroup(0, 8, FloatLanePair(input12, input3),
                                            FloatLanePair(b12, b3), FloatLanePair(k));
        sum = (out.low + out.low.upperHalf()) + out.high;
    }
    output[kRight] = sum.lane0();
    output[kLeft] = sum.lane1();
    restarted[kRight] = (restartedLanes & 0x15u) != 0;
    restarted[kLeft] = (restartedLanes & 0x2au) != 0;
}

} // namespace qev
