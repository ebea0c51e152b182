#include "engine/PhaserStage.h"

#include "engine/TableMath.h"

namespace qev
{
namespace
{

// The hold counts in a float, which counts whole frames exactly up to 2^24: above 8.4 MHz the
// hold is shorter than kFloorHoldSeconds.
float holdFrames(float sampleRate)
{
    const float frames = sampleRate * PhaserStage::kFloorHoldSeconds;
    return frames < 8388608.0f ? frames : 8388608.0f;
}

} // namespace

PhaserStage::PhaserStage(float sampleRate)
    : a1(0.0f), a2(0.0f), radius(0.0f), x1(0.0f), x1Prev(0.0f), y1(0.0f), y1Prev(0.0f), x2(0.0f),
      x2Prev(0.0f), y2(0.0f), y2Prev(0.0f), feedback1(0.0f), feedback2(0.0f), denormalOffset(1e-9f),
      cosineTable(new float[kCosineSteps + 2]), framesBelowFloor(0.0f),
      floorHoldFrames(holdFrames(sampleRate)), restarted(false)
{
    const float pi = 3.14159274f;
    for (int i = 0; i <= kCosineSteps; ++i)
        cosineTable[i] = tablemath::cos(static_cast<float>(i) * pi / 1024.0f);
    cosineTable[kCosineSteps + 1] = cosineTable[kCosineSteps];
}

void PhaserStage::startFromRest()
{
    x1 = x1Prev = y1 = y1Prev = 0.0f;
    x2 = x2Prev = y2 = y2Prev = 0.0f;
    feedback1 = feedback2 = 0.0f;
    framesBelowFloor = 0.0f;
}

} // namespace qev
