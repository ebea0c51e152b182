#pragma once

#include "tools/render/Source.h"

#include <cstdint>

namespace qev::render
{

// The built-in demo: a bright, slowly changing sawtooth pad with a little noise, the kind of
// dense, harmonic-rich sound whose moving notches a phaser shows off best. A minor-seventh
// chord is held, then a second chord, with a soft attack and release; each voice has two
// slightly detuned saws spread across the stereo field. Generated in code, the same on every
// run and at every sample rate.
class DemoSource : public Source
{
public:
    static constexpr double kSeconds = 8.0;

    explicit DemoSource(int sampleRate);
    int sampleRate() const override { return rate; }
    long long frames() const override { return length; }
    int read(float* left, float* right, int count) override;

private:
    static constexpr int kVoices = 4;
    static constexpr int kOscillators = 2 * kVoices; // two detuned saws per voice

    float noise();

    int rate;
    long long length;
    long long position = 0;
    double phases[kOscillators] = {};
    double increments[2][kOscillators] = {}; // per chord: phase step of each oscillator
    std::uint32_t noiseState = 0x9E3779B9u;
};

} // namespace qev::render
