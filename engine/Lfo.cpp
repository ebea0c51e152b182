#include "engine/Lfo.h"

#include "engine/TableMath.h"

namespace qev
{

Lfo::Lfo(float sampleRate)
    : phase(0.0f), increment(0.0f), sampleRate(sampleRate), index(0), fraction(0.0f)
{
    const float pi = 4.0f * tablemath::atan(1.0f);
    for (int i = 0; i <= kTableSize; ++i)
        sineTable[i] = tablemath::sin(2.0f * pi * static_cast<float>(i) / 256.0f);
    setRate(1.0f);
}

float Lfo::wrapPhase(float phase)
{
    const float wrapped = std::fmod(phase, kFoldSteps);
    if (wrapped < 0.0f)
        return wrapped + kFoldSteps;
    return wrapped >= 0.0f ? wrapped : 0.0f; // NaN and infinities restart the cycle
}

} // namespace qev
