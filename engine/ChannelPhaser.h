#pragma once

#include "engine/FloatOps.h"
#include "engine/Lfo.h"
#include "engine/PhaserStage.h"
#include "engine/TableLookup.h"

#include <memory>

namespace qev
{

// One channel of the phaser: an LFO sweeps a normalised frequency between two positions of an
// exponential frequency table; two spread tables derive the higher frequencies of the second
// and third stages; one to three stages run in parallel on the same input and are summed.
class ChannelPhaser
{
public:
    static constexpr int kTableSize = 2048;
    static constexpr float kTableScale = 1024.0f; // table steps per unit of position

    explicit ChannelPhaser(float sampleRate);

    // One frame. lfoRate in hertz; lowPosition and highPosition are the sweep ends as knob
    // positions 0..1 (held within 0..1); feedback is the amount k, 0..1; type counts the
    // stages beyond the first (fractions: > 0 runs two stages, >= 2 runs three). Stages not
    // run keep their state. Returns the summed wet signal.
    inline float step(float input, float lfoRate, float lowPosition, float highPosition,
                      float feedback, float type);

    // The oscillator whose phase the stereo offset writes.
    Lfo& oscillator() { return *lfo; }

    float frequency, frequency2, frequency3; // stage frequencies of the current frame
    float highFrequency, lowFrequency;       // sweep ends of the current frame, normalised
    std::unique_ptr<PhaserStage> stage1, stage2, stage3;
    float output;                            // summed stage output of the current frame
    float sampleRate;                        // the rate the tables were built for, Hz
    float sweep;                             // LFO position of the current frame, 0..1
    std::unique_ptr<float[]> frequencyTable; // knob position * 1024 -> normalised frequency
    std::unique_ptr<float[]> spreadTable2;   // first stage's frequency * 1024 -> second's
    std::unique_ptr<float[]> spreadTable3;   // first stage's frequency * 1024 -> third's
    std::unique_ptr<Lfo> lfo;

private:
    void buildTables();
    static float positionLookup(const float* table, float position);
};

inline float ChannelPhaser::positionLookup(const float* table, float position)
{
    return interpolate(table, clampOrLow(position, 0.0f, 1.0f) * kTableScale);
}

inline float ChannelPhaser::step(float input, float lfoRate, float lowPosition, float highPosition,
                                 float feedback, float type)
{
    lfo->setRate(lfoRate);
    sweep = (lfo->step() + 1.0f) * 0.5f;
    sweep = sweep > 1.0f ? 1.0f : sweep;

    lowFrequency = positionLookup(frequencyTable.get(), lowPosition);
    highFrequency = positionLookup(frequencyTable.get(), highPosition);
    frequency = lowFrequency + (highFrequency - lowFrequency) * sweep;

    // frequency <= 1.00000024, so the spread lookups read at most entries 1024 and 1025.
    const float spreadPosition = frequency * kTableScale;
    frequency2 = interpolate(spreadTable2.get(), spreadPosition);
    frequency2 = frequency2 < 1.0f ? frequency2 : 1.0f;
    frequency3 = interpolate(spreadTable3.get(), spreadPosition);
    frequency3 = frequency3 < 1.0f ? frequency3 : 1.0f;

    float x = input * 0.5f;
    output = stage1->step(x, frequency, feedback);
    if (type > 0.0f)
    {
        x = x * 0.5f;
        output += stage2->step(x, frequency2, feedback);
    }
    if (type >= 2.0f) // whole part above 1, without converting an unbounded float to int
    {
        x = x * 0.5f;
        output += stage3->step(x, frequency3, feedback);
    }
    return output;
}

} // namespace qev
