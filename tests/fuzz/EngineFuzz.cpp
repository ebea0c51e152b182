// The engine alone: any sample rate, parameter values from raw float bits (NaN, infinities,
// denormals, huge) or near their ranges, any tempo, rebuilds, and blocks of any length with
// input within -1..1. Every output and every value of the engine's state stays finite and
// below the runaway bound, and the LFO phase within its cycle.

#include "tests/fuzz/FuzzSupport.h"

#include "engine/EngineParams.h"
#include "engine/StereoPhaser.h"

using namespace qev;
using namespace qev::fuzz;

namespace
{

// The rates hosts use, and now and then any bits at all.
float sampleRateFrom(FuzzedDataProvider& in)
{
    const float rates[] = {8000.0f,  22050.0f, 44100.0f,  48000.0f,
                           88200.0f, 96000.0f, 192000.0f, 384000.0f};
    return in.ConsumeBool() ? floatFromBits(in) : in.PickValueInArray(rates);
}

// Parameter values mostly where knobs and menus put them, and any bits otherwise.
float valueFrom(FuzzedDataProvider& in)
{
    return in.ConsumeBool() ? floatFromBits(in) : in.ConsumeFloatingPointInRange(-1.0f, 14.0f);
}

float tempoFrom(FuzzedDataProvider& in)
{
    return in.ConsumeBool() ? floatFromBits(in) : in.ConsumeFloatingPointInRange(0.0f, 1200.0f);
}

void checkStages(const PhaserStages& s)
{
    for (int i = 0; i < PhaserStages::kLanes; ++i)
        for (float v : {s.a1[i], s.a2[i], s.radius[i], s.x1[i], s.x1Prev[i], s.y1[i], s.y1Prev[i],
                        s.x2[i], s.x2Prev[i], s.y2[i], s.y2Prev[i], s.feedback1[i], s.feedback2[i]})
            checkBounded("stage state", v);
    for (float v : s.output)
        checkBounded("stage output", v);
}

void checkChannel(ChannelPhaser& c)
{
    for (float v :
         {c.frequency, c.frequency2, c.frequency3, c.highFrequency, c.lowFrequency, c.sweep})
        checkBounded("channel state", v);
    const Lfo& lfo = c.oscillator();
    if (!(lfo.phase >= 0.0f && lfo.phase < 2.0f * Lfo::kFoldSteps))
        fail("LFO phase", lfo.phase);
    checkBounded("LFO increment", lfo.increment);
}

void checkEngine(StereoPhaser& e)
{
    for (float v :
         {e.feedback, e.rightWet, e.leftWet, e.lfoRate, e.leftDc->lastInput, e.leftDc->lastOutput,
          e.leftDc->output, e.rightDc->lastInput, e.rightDc->lastOutput, e.rightDc->output})
        checkBounded("engine state", v);
    checkChannel(*e.left);
    checkChannel(*e.right);
    checkStages(*e.stages);
}

void processBlock(StereoPhaser& engine, float tempo, FuzzedDataProvider& in)
{
    const int frames = in.ConsumeIntegralInRange(0, 4096);
    for (int n = 0; n < frames; ++n)
    {
        float left = static_cast<float>(in.ConsumeIntegral<std::int16_t>()) / 32768.0f;
        float right = static_cast<float>(in.ConsumeIntegral<std::int16_t>()) / 32768.0f;
        engine.step(left, right, tempo);
        checkBounded("left output", left);
        checkBounded("right output", right);
    }
    checkEngine(engine);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    EngineParams params;
    StereoPhaser engine(sampleRateFrom(in), params);
    float tempo = StereoPhaser::kDefaultTempo;
    while (in.remaining_bytes() > 0)
    {
        switch (in.ConsumeIntegralInRange(0, 3))
        {
        case 0:
            params.set(in.ConsumeIntegralInRange(0, kNumParams - 1), valueFrom(in));
            break;
        case 1:
            tempo = tempoFrom(in);
            break;
        case 2:
            processBlock(engine, tempo, in);
            break;
        default:
            engine.rebuild(sampleRateFrom(in));
            break;
        }
    }
    return 0;
}
