#include "tools/render/DemoSource.h"

#include <algorithm>
#include <cmath>

namespace qev::render
{

namespace
{

// Two chords (MIDI note numbers), each held for half of the demo.
constexpr int kChords[2][4] = {{45, 52, 55, 60}, {41, 48, 52, 57}};
constexpr double kDetuneCents = 7.0;
constexpr double kFadeSeconds = 0.4;

double noteHz(int note, double cents)
{
    return 440.0 * std::pow(2.0, (note - 69 + cents / 100.0) / 12.0);
}

} // namespace

DemoSource::DemoSource(int sampleRate)
    : rate(sampleRate), length(static_cast<long long>(kSeconds * sampleRate))
{
    for (int chord = 0; chord < 2; ++chord)
        for (int osc = 0; osc < kOscillators; ++osc)
        {
            const double cents = (osc % 2 == 0 ? -1.0 : 1.0) * kDetuneCents;
            increments[chord][osc] = noteHz(kChords[chord][osc / 2], cents) / rate;
        }
}

float DemoSource::noise()
{
    noiseState ^= noiseState << 13;
    noiseState ^= noiseState >> 17;
    noiseState ^= noiseState << 5;
    return static_cast<float>(static_cast<std::int32_t>(noiseState)) / 2147483648.0f;
}

int DemoSource::read(float* left, float* right, int count)
{
    const int todo = static_cast<int>(std::min<long long>(count, length - position));
    const double half = static_cast<double>(length) / 2.0;
    const double fade = kFadeSeconds * rate;
    for (int n = 0; n < todo; ++n, ++position)
    {
        const double t = static_cast<double>(position);
        const int chord = t < half ? 0 : 1;
        // Each chord fades in and out, so the change and the ends are free of clicks.
        const double local = chord == 0 ? t : t - half;
        const double envelope =
            std::min({1.0, local / fade, (half - local) / fade}) * 0.16; // 8 saws stay < 0 dBFS
        double l = 0.0;
        double r = 0.0;
        for (int osc = 0; osc < kOscillators; ++osc)
        {
            const int voice = osc / 2;
            phases[osc] += increments[chord][osc];
            phases[osc] -= std::floor(phases[osc]);
            const double saw = 2.0 * phases[osc] - 1.0;
            // Detuned pairs sit on opposite sides, voices alternate: a wide but balanced pad.
            const double pan = ((osc + voice) % 2 == 0) ? 0.3 : 0.7;
            l += saw * (1.0 - pan);
            r += saw * pan;
        }
        left[n] = static_cast<float>(l * envelope) + static_cast<float>(0.12 * envelope) * noise();
        right[n] = static_cast<float>(r * envelope) + static_cast<float>(0.12 * envelope) * noise();
    }
    return todo;
}

} // namespace qev::render
