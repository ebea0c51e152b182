#pragma once

namespace qev
{

// One-pole DC blocker: y = x - lastInput + (0.999 - cutoff * 0.4) * lastOutput. The offset
// (2^-32) goes into the stored input only, keeping the recurrence out of denormal numbers when
// the signal is silent.
class DcFilter
{
public:
    // Replaces the sample with the filtered value. cutoff 0.04 gives the pole 0.98300004.
    void process(float& sample, float cutoff)
    {
        const float coefficient = 0.999f - cutoff * 0.4f;
        const float y = sample - lastInput + coefficient * lastOutput;
        lastOutput = y;
        lastInput = sample + offset;
        output = y;
        sample = y;
    }

    // Forgets the signal so far, as a new filter: the next sample passes unchanged. A wet
    // signal that drops by a large amount at once (a stage restarted from rest) would
    // otherwise pass the drop as a spike of the same size.
    void reset()
    {
        lastInput = 0.0f;
        lastOutput = 0.0f;
        output = 0.0f;
    }

    float lastInput = 0.0f;  // previous input plus the offset
    float lastOutput = 0.0f; // previous output
    float output = 0.0f;     // copy of the last output
    float offset = 2.3283064e-10f;
};

} // namespace qev
