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

} // namespace qev
