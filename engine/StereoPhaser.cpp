#include "engine/StereoPhaser.h"

#include <cmath>

namespace qev
{
namespace
{

// Note value of each SYNC_SPEED entry: the LFO rate in hertz at 120 BPM, times 120. 1/16, 1/8,
// 1/4, 1/2, 1/1, 2/1, then the same six as triplets.
constexpr float kSyncTable[StereoPhaser::kSyncEntries] = {
    960.0f, 480.0f, 240.0f, 120.0f, 60.0f, 30.0f, 1440.0f, 720.0f, 360.0f, 180.0f, 90.0f, 45.0f};

} // namespace

StereoPhaser::StereoPhaser(float sampleRate, const EngineParams& params)
    : feedback(0.0f), rightWet(0.0f), leftWet(0.0f), lfoRate(0.0f), params(params),
      limitLowPosition(NAN), limitHighPosition(NAN), rateLimit(0.0f)
{
    if (!rebuild(sampleRate))
        rebuild(44100.0f);
    leftDc.reset(new DcFilter);
    rightDc.reset(new DcFilter);
}

bool StereoPhaser::rebuild(float sampleRate)
{
    if (!acceptsSampleRate(sampleRate))
        return false;
    left.reset(new ChannelPhaser(sampleRate));
    right.reset(new ChannelPhaser(sampleRate));
    stages.reset(new PhaserStages(sampleRate));
    syncDivisors.reset(new float[kSyncEntries]);
    for (int i = 0; i < kSyncEntries; ++i)
        syncDivisors[i] = kSyncTable[i];
    limitLowPosition = limitHighPosition = NAN; // the new tables give a new limit
    return true;
}

void StereoPhaser::process(const float* leftIn, const float* rightIn, float* leftOut,
                           float* rightOut, int frames, float tempo)
{
    for (int done = 0; done < frames; done += PhaserStages::kMaxFrames)
    {
        const int remaining = frames - done;
        processRun(leftIn + done, rightIn + done, leftOut + done, rightOut + done,
                   remaining < PhaserStages::kMaxFrames ? remaining : PhaserStages::kMaxFrames,
                   tempo);
    }
}

void StereoPhaser::processRun(const float* leftIn, const float* rightIn, float* leftOut,
                              float* rightOut, int frames, float tempo)
{
    const float speed = clampOrLow(params.get(kParamSpeed), 0.0f, 1.0f);
    const float syncSpeed = params.get(kParamSyncSpeed);
    const float lowPosition = params.get(kParamLoFreq);
    const float highPosition = params.get(kParamHiFreq);
    const float phase = clampOrLow(params.get(kParamPhase), 0.0f, 1.0f);
    const float type = params.get(kParamType);
    const float feedbackKnob = clampOrLow(params.get(kParamFeedback), 0.0f, 1.0f);
    const float dryWet = clampOrLow(params.get(kParamDryWet), 0.0f, 1.0f);
    const float volume = clampOrLow(params.get(kParamVolume), 0.0f, 1.0f);

    lfoRate = rateFor(speed, syncSpeed, tempo, lowPosition, highPosition);
    const float u = 1.0f - feedbackKnob;
    feedback = 1.0f - u * u * u * u;
    right->oscillator().setRate(lfoRate);
    left->oscillator().setRate(lfoRate);
    right->followEnds(lowPosition, highPosition);
    left->followEnds(lowPosition, highPosition);

    float input[PhaserStages::kMaxFrames][2];
    for (int n = 0; n < frames; ++n)
    {
        input[n][PhaserStages::kRight] = safeInput(rightIn[n]);
        input[n][PhaserStages::kLeft] = safeInput(leftIn[n]);
    }

    // The sweep of every frame: the LFOs' phases one frame after another (the left LFO reads
    // the right one's phase plus the offset), then the stage frequencies four frames at a
    // time, turned into the stages' lanes frame by frame.
    Lfo& rightLfo = right->oscillator();
    Lfo& leftLfo = left->oscillator();
    alignas(16) float readPhase[2][PhaserStages::kMaxFrames];
    for (int n = 0; n < frames; ++n)
    {
        leftLfo.phase = rightLfo.phase + 127.0f * phase;
        readPhase[PhaserStages::kRight][n] = rightLfo.advance();
        readPhase[PhaserStages::kLeft][n] = leftLfo.advance();
    }
    for (int n = frames; n % FloatLanes::kWidth; ++n) // a phase inside the table
        readPhase[PhaserStages::kRight][n] = readPhase[PhaserStages::kLeft][n] = 0.0f;
    alignas(16) float b[PhaserStages::kMaxFrames][PhaserStages::kLanes];
    for (int n = 0; n < frames; n += FloatLanes::kWidth)
    {
        const auto r = right->frequenciesAt(FloatLanes::load(readPhase[PhaserStages::kRight] + n));
        const auto l = left->frequenciesAt(FloatLanes::load(readPhase[PhaserStages::kLeft] + n));
        FloatLanes lanes12[] = {r.frequency, l.frequency, r.frequency2, l.frequency2};
        FloatLanes lanes3[] = {r.frequency3, l.frequency3, 0.0f, 0.0f};
        _MM_TRANSPOSE4_PS(lanes12[0].v, lanes12[1].v, lanes12[2].v, lanes12[3].v);
        _MM_TRANSPOSE4_PS(lanes3[0].v, lanes3[1].v, lanes3[2].v, lanes3[3].v);
        for (int i = 0; i < FloatLanes::kWidth; ++i)
        {
            lanes12[i].store(b[n + i]);
            lanes3[i].store(b[n + i] + 4);
        }
    }
    right->setFrame(readPhase[PhaserStages::kRight][frames - 1]);
    left->setFrame(readPhase[PhaserStages::kLeft][frames - 1]);

    float wet[PhaserStages::kMaxFrames][2];
    unsigned restartedLanes[PhaserStages::kMaxFrames];
    stages->run(frames, input, b, feedback, type, wet, restartedLanes);

    // The filters' state stays in registers through the run: the output buffers may alias
    // anything a float may.
    DcFilter rightFilter = *rightDc, leftFilter = *leftDc;
    const float gain = 1.0f - feedback * 0.8333333f;
    float lastRightWet = 0.0f, lastLeftWet = 0.0f;
    for (int n = 0; n < frames; ++n)
    {
        float rightSample = wet[n][PhaserStages::kRight];
        float leftSample = wet[n][PhaserStages::kLeft];
        if (restartedLanes[n] & PhaserStages::kChannelLanes[PhaserStages::kRight])
            rightFilter.reset();
        if (restartedLanes[n] & PhaserStages::kChannelLanes[PhaserStages::kLeft])
            leftFilter.reset();
        rightFilter.process(rightSample, kDcCutoff);
        leftFilter.process(leftSample, kDcCutoff);

        rightSample *= gain;
        leftSample *= gain;
        lastRightWet = rightSample;
        lastLeftWet = leftSample;

        const float rightDry = input[n][PhaserStages::kRight];
        const float leftDry = input[n][PhaserStages::kLeft];
        rightOut[n] = (rightSample * dryWet + rightDry * (1.0f - dryWet)) * volume * volume * 2.0f;
        leftOut[n] = (leftSample * dryWet + leftDry * (1.0f - dryWet)) * volume * volume * 2.0f;
    }
    *rightDc = rightFilter;
    *leftDc = leftFilter;
    rightWet = lastRightWet;
    leftWet = lastLeftWet;
}

} // namespace qev
