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
// first two lanes, TYPE 1 the first four (one SSE register), TYPE 2 all eight (two SSE
// registers, their operations interleaved so that both feedback chains advance together, or one
// AVX register on the Avx path); a stage that does not run is neither read nor written, so it
// keeps every member unchanged, and one that starts running again starts from rest, as a new
// stage does (resuming from the state it froze in would replay the audio it last heard). The spares run with the third stages, on silence at
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
// Runs of frames. run() takes up to kMaxFrames frames through the recursion with the stages'
// state in registers. A frame's coefficients depend on its frequency only, so they are
// computed for the frequency as given, and a frame whose floor hold has set in picks the
// coefficients at kFrequencyFloor instead, computed once with the same operations. step() is a
// run of one frame.
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
    static constexpr int kMaxFrames = 32; // frames per run()

    enum Channel : int
    {
        kRight = 0,
        kLeft = 1
    };
    // The lane of a channel's stage 1, 2 or 3.
    static constexpr int lane(int channel, int stage) { return 2 * (stage - 1) + channel; }
    // Each channel's lanes, as bits (bit i for lane i).
    static constexpr unsigned kChannelLanes[2] = {0x15u, 0x2au};

    // The ways through the lanes, all giving the same bits: Sse runs on every x86-64, Avx holds
    // all eight lanes in one register where the processor and its system support AVX (TYPE 2
    // and above; fewer stages run as on Sse).
    enum class Path
    {
        Sse,
        Avx
    };
    static bool supports(Path path);
    // The path stages made from now on take: the widest supported, unless a test chose another
    // to force each. Refused (false, nothing changes) where the processor does not support it.
    static bool choosePath(Path path);

    // sampleRate in hertz sets how many frames make kFloorHoldSeconds. All lanes at rest.
    explicit PhaserStages(float sampleRate);

    // One frame of both channels' stages. input: each channel's input sample; b: each
    // channel's stage frequencies 1, 2, 3, normalised (1.0 = half the sample rate), expected
    // in 0..1 and read up to 1 in the cosine table whatever they are; k: feedback amount, 0..1;
    // type: counts the stages beyond the first (fractions: > 0 runs two, >= 2 runs three).
    // Stage 1 hears half the input, stage 2 a quarter, stage 3 an eighth. Sets output[] to each
    // channel's summed stage outputs and restarted[] to whether one of its stages restarted.
    inline void step(const float (&input)[2], const float (&b)[2][3], float k, float type);

    // `frames` (1..kMaxFrames) frames one after another, each as step() runs it, with the same
    // k and type: input[n] per channel, b[n] per lane (the spare lanes' entries are not read).
    // Sets out[n] to each channel's summed stage outputs and frameRestartedLanes[n] to the
    // lanes frame n restarted; the members output, restarted and restartedLanes to the last
    // frame's. Frames < 1 do nothing.
    inline void run(int frames, const float (*input)[2], const float (*b)[kLanes], float k,
                    float type, float (*out)[2], unsigned* frameRestartedLanes);

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
    const Path path;         // the path chosen when these stages were made

private:
    // A stage's all-pass coefficients at one frequency, lane by lane.
    template <class Lanes> struct Coefficients
    {
        Lanes radius, a1, a2;
    };
    // The members that carry from frame to frame, for the lanes of one group, held in
    // registers while a run goes through its frames.
    template <class Lanes> struct LaneState
    {
        Lanes x1, x1Prev, y1, y1Prev, x2, x2Prev, y2, y2Prev, feedback1, feedback2,
            framesBelowFloor;
    };
    // What a frame brings to the stages of a group: their inputs, frequencies and the
    // coefficients at those frequencies.
    template <class Lanes> struct FrameLanes
    {
        Lanes input, b;
        Coefficients<Lanes> atB;
    };

    template <class Lanes> inline Coefficients<Lanes> coefficientsAt(Lanes b) const;
    // Calls f(member, state field) for every member that carries from frame to frame.
    template <class Lanes, class F> inline void forEachCarried(LaneState<Lanes>& state, F f);

    // Runs the first kWidth lanes (2 or 4 of a FloatLanes, 8 of a FloatLanePair) through the
    // frames, and reads or writes no other lane.
    template <class Lanes, int kWidth>
    inline void runGroup(int frames, const float (*input)[2], const float (*b)[kLanes], float k,
                         float (*out)[2], unsigned* frameRestartedLanes);

    // One frame of a group's stages: the step of the description, lane by lane. Advances
    // state, sets used to the coefficients the frame ran with and restartedBits to the lanes
    // (within widthBits) it restarted; returns each lane's output, 0 where the stage restarted.
    template <class Lanes>
    __attribute__((always_inline)) inline Lanes
    stepGroup(LaneState<Lanes>& state, const FrameLanes<Lanes>& frame, Lanes k, unsigned widthBits,
              Coefficients<Lanes>& used, unsigned& restartedBits) const;

    // runGroup of all eight lanes on the Avx path, in a source file of its own built for AVX.
    void runWide(int frames, const float (*input)[2], const float (*b)[kLanes], float k,
                 float (*out)[2], unsigned* frameRestartedLanes);

    float floorRadius, floorA1, floorA2; // the coefficients at kFrequencyFloor
};

template <class Lanes>
inline PhaserStages::Coefficients<Lanes> PhaserStages::coefficientsAt(Lanes b) const
{
    const Lanes r = 1.0f - b * 0.5f;
    // The first stage's frequency can exceed 1.0 by a rounding error (the frequency table's
    // top entry is 1.00000024 at some rates): the position, and only the position, is held
    // within the table.
    const Lanes cosine =
        interpolate(cosineTable.get(), clampOrLow(b * static_cast<float>(kCosineSteps), 0.0f,
                                                  static_cast<float>(kCosineSteps)));
    return {r, -2.0f * r * cosine, r * r};
}

template <class Lanes>
inline Lanes PhaserStages::stepGroup(LaneState<Lanes>& s, const FrameLanes<Lanes>& frame, Lanes k,
                                     unsigned widthBits, Coefficients<Lanes>& used,
                                     unsigned& restartedBits) const
{
    // The count stops growing by itself at 2^24, where adding 1 no longer changes a float.
    s.framesBelowFloor = lessThan(frame.b, kFrequencyFloor) & (s.framesBelowFloor + 1.0f);
    const Lanes held = atLeast(s.framesBelowFloor, floorHoldFrames);
    used.radius = select(held, floorRadius, frame.atB.radius);
    used.a1 = select(held, floorA1, frame.atB.a1);
    used.a2 = select(held, floorA2, frame.atB.a2);
    const Lanes c1 = used.a1, c2 = used.a2;
    const Lanes in = frame.input + denormalOffset;

    // One direct-form all-pass section on in plus its fed-back value: shifts the section's
    // histories and returns its output.
    const auto section = [&](Lanes& x, Lanes& xPrev, Lanes& y, Lanes& yPrev, Lanes fedBack)
    {
        const Lanes sectionIn = in + fedBack * k * 0.999f; // u for section 1, w for section 2
        const Lanes out = c2 * sectionIn + c1 * x + xPrev - c1 * y - c2 * yPrev;
        yPrev = y;
        y = out;
        xPrev = x;
        x = sectionIn;
        return out;
    };
    const Lanes out1 = section(s.x1, s.x1Prev, s.y1, s.y1Prev, s.feedback1);
    const Lanes out2 = section(s.x2, s.x2Prev, s.y2, s.y2Prev, s.feedback2);

    s.feedback2 = out1 + denormalOffset;
    Lanes scaled = out2 * 0.25f;
    scaled = scaled - valueIfPositive(scaled, 2.11e-7f);
    s.feedback1 = 4.0f * saturate(scaled);
    const Lanes output = s.feedback1 + s.feedback2;

    // Also true for NaN. Rare: the stages that ran away start from rest, silent this frame.
    const Lanes restart = notAtMost(abs(out1) + abs(out2), kRunawayLimit);
    restartedBits = restart.bits() & widthBits;
    if (restartedBits)
    {
        for (Lanes* member : {&s.x1, &s.x1Prev, &s.y1, &s.y1Prev, &s.x2, &s.x2Prev, &s.y2,
                              &s.y2Prev, &s.feedback1, &s.feedback2, &s.framesBelowFloor})
            *member = zeroWhere(restart, *member);
        return zeroWhere(restart, output);
    }
    return output;
}

// The lanes of one frame (laid out as in PhaserStages): the inputs the stages hear and their
// frequencies, the first (and second) stages' in a FloatLanes, all in a pair. Every lanes type
// has these and stageSums() beside it.
inline void stageLaneInputs(const float (&input)[2], const float (&b)[PhaserStages::kLanes],
                            FloatLanes& lanesIn, FloatLanes& lanesB)
{
    // Stage 1 hears half the input, stage 2 half of that: x * 0.5 * 1 is x * 0.5 to the bit.
    lanesIn = FloatLanes::pairTwice(input) * 0.5f * FloatLanes::of(1.0f, 1.0f, 0.5f, 0.5f);
    lanesB = FloatLanes::loadUnaligned(b);
}

inline void stageLaneInputs(const float (&input)[2], const float (&b)[PhaserStages::kLanes],
                            FloatLanePair& lanesIn, FloatLanePair& lanesB)
{
    stageLaneInputs(input, b, lanesIn.low, lanesB.low);
    // Stage 3 hears half of what stage 2 hears; the spares silence at kSpareFrequency.
    lanesIn.high = FloatLanes::lowHalves(lanesIn.low.upperHalf() * 0.5f, 0.0f);
    lanesB.high =
        FloatLanes::lowHalves(FloatLanes::pairTwice(b + 4), PhaserStages::kSpareFrequency);
}

// Sets sums to each channel's summed stage outputs, given the first kWidth lanes' outputs:
// stage 1 + stage 2, then + stage 3, as far as they run.
template <int kWidth> inline void stageSums(FloatLanes output, float (&sums)[2])
{
    static_assert(kWidth == 2 || kWidth == 4, "a FloatLanes holds two or four stages");
    (kWidth == 2 ? output : output + output.upperHalf()).storePair(sums);
}

template <int kWidth> inline void stageSums(FloatLanePair output, float (&sums)[2])
{
    static_assert(kWidth == 8, "a pair holds all stages");
    ((output.low + output.low.upperHalf()) + output.high).storePair(sums);
}

template <class Lanes, class F>
inline void PhaserStages::forEachCarried(LaneState<Lanes>& state, F f)
{
    f(x1, state.x1);
    f(x1Prev, state.x1Prev);
    f(y1, state.y1);
    f(y1Prev, state.y1Prev);
    f(x2, state.x2);
    f(x2Prev, state.x2Prev);
    f(y2, state.y2);
    f(y2Prev, state.y2Prev);
    f(feedback1, state.feedback1);
    f(feedback2, state.feedback2);
    f(framesBelowFloor, state.framesBelowFloor);
}

template <class Lanes, int kWidth>
inline void PhaserStages::runGroup(int frames, const float (*input)[2], const float (*b)[kLanes],
                                   float k, float (*out)[2], unsigned* frameRestartedLanes)
{
    LaneState<Lanes> state;
    forEachCarried(state, [](const float* member, Lanes& value)
                   { value = Lanes::loadFirst(member, kWidth); });
    Coefficients<Lanes> used{0.0f, 0.0f, 0.0f}; // every frame sets it
    for (int n = 0; n < frames; ++n)
    {
        // A frame's coefficients depend on its frequencies only: their work overlaps with the
        // recursion of the frames before, whose feedback chain is the critical path.
        FrameLanes<Lanes> frame;
        stageLaneInputs(input[n], b[n], frame.input, frame.b);
        frame.atB = coefficientsAt(frame.b);
        const Lanes output =
            stepGroup(state, frame, Lanes(k), (1u << kWidth) - 1u, used, frameRestartedLanes[n]);
        stageSums<kWidth>(output, out[n]);
    }
    forEachCarried(state, [](float* member, Lanes& value) { value.storeFirst(member, kWidth); });
    used.radius.storeFirst(radius, kWidth);
    used.a1.storeFirst(a1, kWidth);
    used.a2.storeFirst(a2, kWidth);
}

inline void PhaserStages::run(int frames, const float (*input)[2], const float (*b)[kLanes],
                              float k, float type, float (*out)[2], unsigned* frameRestartedLanes)
{
    if (frames < 1)
        return;
    // Both channels' lanes of each stage; the spare lanes run with the third stages.
    const unsigned stage1 = 0x03u, stage2 = 0x0cu, stage3 = 0xf0u;
    const int extraStages = extraStagesOf(type);
    const unsigned runs =
        stage1 | (extraStages >= 1 ? stage2 : 0u) | (extraStages >= 2 ? stage3 : 0u);
    if (const unsigned rising = runs & ~ranLanes)
        startFromRest(rising);
    ranLanes = runs;

    if (runs == stage1)
        runGroup<FloatLanes, 2>(frames, input, b, k, out, frameRestartedLanes);
    else if (!(runs & stage3))
        runGroup<FloatLanes, 4>(frames, input, b, k, out, frameRestartedLanes);
    else if (path == Path::Avx)
        runWide(frames, input, b, k, out, frameRestartedLanes);
    else
        runGroup<FloatLanePair, 8>(frames, input, b, k, out, frameRestartedLanes);

    restartedLanes = frameRestartedLanes[frames - 1];
    output[kRight] = out[frames - 1][kRight];
    output[kLeft] = out[frames - 1][kLeft];
    restarted[kRight] = (restartedLanes & kChannelLanes[kRight]) != 0;
    restarted[kLeft] = (restartedLanes & kChannelLanes[kLeft]) != 0;
}

inline void PhaserStages::step(const float (&input)[2], const float (&b)[2][3], float k, float type)
{
    const float lanesB[1][kLanes] = {{b[kRight][0], b[kLeft][0], b[kRight][1], b[kLeft][1],
                                      b[kRight][2], b[kLeft][2], kSpareFrequency, kSpareFrequency}};
    const float in[1][2] = {{input[kRight], input[kLeft]}};
    float out[1][2];
    unsigned frameRestartedLanes[1];
    run(1, in, lanesB, k, type, out, frameRestartedLanes);
}

} // namespace qev
