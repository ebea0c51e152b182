#pragma once

#include "engine/EngineParams.h"
#include "engine/FloatLanes.h"
#include "engine/FloatOps.h"
#include "engine/Lfo.h"
#include "engine/TableLookup.h"

#include <cmath>
#include <memory>

namespace qev
{

// The sweep of one channel of the phaser: an LFO sweeps a normalised frequency between two
// positions of an exponential frequency table; two spread tables derive the higher frequencies
// of the second and third stages. The stages themselves, one to three per channel running in
// parallel on the same input and summed, run with the other channel's in PhaserStages.
class ChannelPhaser
{
public:
    static constexpr int kTableSize = 2048;
    static constexpr float kTableScale = 1024.0f; // table steps per unit of position

    explicit ChannelPhaser(float sampleRate);

    // One frame: advances the LFO and sets the stage frequencies of the frame. lfoRate in
    // hertz; lowPosition and highPosition are the sweep ends as knob positions 0..1 (held
    // within 0..1). The same as followEnds() and setting the LFO's rate, then advance().
    inline void step(float lfoRate, float lowPosition, float highPosition);

    // Sets the sweep ends for the frames that follow (as step() takes them).
    inline void followEnds(float lowPosition, float highPosition);
    // One frame at the LFO's rate and the ends last followed.
    inline void advance();

    // The stage frequencies of a frame whose LFO reads readPhase (as Lfo::advance() gives it),
    // between the ends last followed: for a float, or for frames side by side in lanes.
    template <class T> struct Frequencies
    {
        T sweep, frequency, frequency2, frequency3;
    };
    template <class T> inline Frequencies<T> frequenciesAt(T readPhase) const;
    // Sets the members that describe a frame (the sweep, the stage frequencies, the LFO's
    // index and fraction) to those of the frame whose LFO reads readPhase.
    inline void setFrame(float readPhase);

    // The fastest LFO rate, in hertz, that a sweep between the two knob positions (held
    // within 0..1, either order) follows without parametric growth; always above 0.
    inline float maxLfoRate(float lowPosition, float highPosition) const;

    // The oscillator whose phase the stereo offset writes.
    Lfo& oscillator() { return *lfo; }

    float frequency, frequency2, frequency3; // stage frequencies of the current frame
    float highFrequency, lowFrequency;       // sweep ends of the current frame, normalised
    float sampleRate;                        // the rate the tables were built for, Hz
    float sweep;                             // LFO position of the current frame, 0..1
    std::unique_ptr<float[]> frequencyTable; // knob position * 1024 -> normalised frequency
    std::unique_ptr<float[]> spreadTable2;   // first stage's frequency * 1024 -> second's
    std::unique_ptr<float[]> spreadTable3;   // first stage's frequency * 1024 -> third's
    std::unique_ptr<Lfo> lfo;
    // sampleRate * frequencyTable[i]^0.8: the scale of maxLfoRate at a sweep top of i / 1024.
    std::unique_ptr<float[]> followRateTable;
    // The knob positions lowFrequency and highFrequency were looked up for; NaN forces a lookup.
    float endsLowPosition = NAN, endsHighPosition = NAN;

private:
    void buildTables();
    static float positionLookup(const float* table, float position);
};

inline float ChannelPhaser::positionLookup(const float* table, float position)
{
    return interpolate(table, clampOrLow(position, 0.0f, 1.0f) * kTableScale);
}

// The LFO rate limit. The direct-form recursion, modulated faster than its poles can follow,
// gains energy from the modulation (parametric growth), and with feedback the loop can ring up
// as well; either way the output leaves the bound. Where that sets in scales with the sweep's
// top H (normalised) as about H^0.8 cycles per sample, and with the share L/H of its bottom:
// - one stage with feedback 1, swept by a sine: bursts from 0.066 H^0.8 for wide sweeps
//   (L/H up to 0.01, H 0.01..0.03) and from 0.08..0.1 H^0.8 at L/H 0.06..0.1;
// - the section recursion alone: decays by less than 0.5 dB per LFO cycle from 0.04 H^0.8 for
//   wide sweeps with H 3e-5..1e-4, and from 0.03 H^0.8 where the whole sweep lies below 1.2e-5;
// - whole channels: "Wet Mid Freq" at 48 kHz bursts from 28 Hz (0.082 H^0.8), and LOFREQ 0.2,
//   HIFREQ 0.4 with feedback 1 at 22.05 kHz rings to 8.8 times the dry level at 0.106 H^0.8.
// The limit min(0.03 + 0.6 L/H, 0.065) H^0.8 stays below all of these, and still lets every
// factory program run at 18 Hz and more at 44.1 and 48 kHz: the narrowest, "Wet Mid Freq",
// gets 22.2 Hz at 48 kHz. tools/engine_survey checks it over the whole range.
inline float ChannelPhaser::maxLfoRate(float lowPosition, float highPosition) const
{
    const float low = positionLookup(frequencyTable.get(), lowPosition);
    const float high = positionLookup(frequencyTable.get(), highPosition);
    const float bottom = low < high ? low : high;
    const float top = low < high ? high : low;
    const float share = bottom / top; // the table's entries are all above 0
    const float cycles = 0.03f + 0.6f * share;
    const float scale =
        positionLookup(followRateTable.get(), low < high ? highPosition : lowPosition);
    return (cycles < 0.065f ? cycles : 0.065f) * scale;
}

inline void ChannelPhaser::step(float lfoRate, float lowPosition, float highPosition)
{
    lfo->setRate(lfoRate);
    followEnds(lowPosition, highPosition);
    advance();
}

inline void ChannelPhaser::followEnds(float lowPosition, float highPosition)
{
    // The ends change only with the knobs, so they are looked up again only when one moves.
    if (!(lowPosition == endsLowPosition && highPosition == endsHighPosition))
    {
        lowFrequency = positionLookup(frequencyTable.get(), lowPosition);
        highFrequency = positionLookup(frequencyTable.get(), highPosition);
        endsLowPosition = lowPosition;
        endsHighPosition = highPosition;
    }
}

template <class T>
inline ChannelPhaser::Frequencies<T> ChannelPhaser::frequenciesAt(T readPhase) const
{
    Frequencies<T> f;
    // The sine table's values are finite, so the sweep is never NaN and the lesser of it and 1
    // is the value held to 1.
    f.sweep = lesser((lfo->valueAt(readPhase) + 1.0f) * 0.5f, T(1.0f));
    f.frequency = lowFrequency + (highFrequency - lowFrequency) * f.sweep;

    // Held to the table's first 1025 entries whatever the rate: at every accepted rate the
    // spread tables exceed 1.0 from entry 1024 on, so positions above it (a frequency a
    // rounding error above 1.0) give 1.0 either way, and the clamp changes no result.
    const T spreadPosition = clampOrLow(f.frequency * kTableScale, T(0.0f), T(kTableScale));
    f.frequency2 = lesser(interpolate(spreadTable2.get(), spreadPosition), T(1.0f));
    f.frequency3 = lesser(interpolate(spreadTable3.get(), spreadPosition), T(1.0f));
    return f;
}

inline void ChannelPhaser::advance()
{
    setFrame(lfo->advance());
}

inline void ChannelPhaser::setFrame(float readPhase)
{
    lfo->index = static_cast<int>(readPhase);
    lfo->fraction = readPhase - static_cast<float>(lfo->index);
    const Frequencies<float> f = frequenciesAt(readPhase);
    sweep = f.sweep;
    frequency = f.frequency;
    frequency2 = f.frequency2;
    frequency3 = f.frequency3;
}

} // namespace qev
