#include "engine/PhaserStages.h"

#include "engine/TableMath.h"

#include <atomic>
#include <initializer_list>

namespace qev
{
namespace
{

// The hold counts in a float, which counts whole frames exactly up to 2^24: above 8.4 MHz the
// hold is shorter than kFloorHoldSeconds.
float holdFrames(float sampleRate)
{
    const float frames = sampleRate * PhaserStages::kFloorHoldSeconds;
    return frames < 8388608.0f ? frames : 8388608.0f;
}

std::atomic<PhaserStages::Path>& chosenPath()
{
    static std::atomic<PhaserStages::Path> path{PhaserStages::supports(PhaserStages::Path::Avx)
                                                    ? PhaserStages::Path::Avx
                                                    : PhaserStages::Path::Sse};
    return path;
}

} // namespace

bool PhaserStages::supports(Path path)
{
    if (path == Path::Sse)
        return true;
    // Also asks whether the system saves the AVX registers on a switch.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx");
}

bool PhaserStages::choosePath(Path path)
{
    if (!supports(path))
        return false;
    chosenPath().store(path);
    return true;
}

PhaserStages::PhaserStages(float sampleRate)
    : denormalOffset(1e-9f), floorHoldFrames(holdFrames(sampleRate)),
      cosineTable(new float[kCosineSteps + 2]), ranLanes(0),
      restartedLanes(0), output{0.0f, 0.0f}, restarted{false, false}, path(chosenPath().load())
{
    for (float* member : {a1, a2, radius})
        for (int i = 0; i < kLanes; ++i)
            member[i] = 0.0f;
    startFromRest((1u << kLanes) - 1u);
    const float pi = 3.14159274f;
    for (int i = 0; i <= kCosineSteps; ++i)
        cosineTable[i] = tablemath::cos(static_cast<float>(i) * pi / 1024.0f);
    cosineTable[kCosineSteps + 1] = cosineTable[kCosineSteps];
    // The same operations as at any other frequency, so a held lane gets the bits it got when
    // the floor was its frequency.
    const Coefficients<FloatLanes> atFloor = coefficientsAt(FloatLanes(kFrequencyFloor));
    floorRadius = atFloor.radius.lane0();
    floorA1 = atFloor.a1.lane0();
    floorA2 = atFloor.a2.lane0();
}

void PhaserStages::startFromRest(unsigned lanes)
{
    for (int i = 0; i < kLanes; ++i)
    {
        if (!(lanes & (1u << i)))
            continue;
        x1[i] = x1Prev[i] = y1[i] = y1Prev[i] = 0.0f;
        x2[i] = x2Prev[i] = y2[i] = y2Prev[i] = 0.0f;
        feedback1[i] = feedback2[i] = 0.0f;
        framesBelowFloor[i] = 0.0f;
    }
}

} // namespace qev
