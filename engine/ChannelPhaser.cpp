#include "engine/ChannelPhaser.h"

#include "engine/TableMath.h"

namespace qev
{

ChannelPhaser::ChannelPhaser(float sampleRate)
    : frequency(0.0f), frequency2(0.0f), frequency3(0.0f), highFrequency(0.0f), lowFrequency(0.0f),
      sampleRate(sampleRate), sweep(0.0f), frequencyTable(new float[kTableSize]),
      spreadTable2(new float[kTableSize]), spreadTable3(new float[kTableSize]),
      lfo(new Lfo(sampleRate)), followRateTable(new float[kTableSize])
{
    buildTables();
}

void ChannelPhaser::buildTables()
{
    const float fs = sampleRate;
    const float a = (fs / 44100.0f) * (fs / 44100.0f) * fs; // 44100 at 44.1 kHz
    const float c = tablemath::log(a);
    const float logFs = tablemath::log(fs);
    for (int i = 0; i < kTableSize; ++i)
    {
        const float position = static_cast<float>(i) / 1024.0f;
        frequencyTable[i] = (1.0f / a) * tablemath::exp(position * c);
        // 1e-8 keeps the logarithm finite at entry 0.
        const float t = tablemath::log(position * fs + 1e-8f) / logFs;
        spreadTable2[i] = (1.0f / a) * tablemath::exp((t + 0.2f) * c);
        spreadTable3[i] = (1.0f / a) * tablemath::exp((t + 0.4f) * c);
        // frequencyTable[i]^0.8 = a^(0.8 (position - 1))
        followRateTable[i] = fs * tablemath::exp(0.8f * (position - 1.0f) * c);
    }
}

} // namespace qev
