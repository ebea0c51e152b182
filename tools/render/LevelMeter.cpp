#include "tools/render/LevelMeter.h"

#include <cmath>
#include <limits>

namespace qev::render
{

namespace
{

double decibels(double amplitude)
{
    return amplitude > 0.0 ? 20.0 * std::log10(amplitude)
                           : -std::numeric_limits<double>::infinity();
}

} // namespace

void LevelMeter::add(const float* samples, int count)
{
    for (int n = 0; n < count; ++n)
    {
        const double x = samples[n];
        if (!std::isfinite(x))
            continue;
        const double magnitude = std::fabs(x);
        if (magnitude > peak)
            peak = magnitude;
        if (magnitude > 1.0)
            ++overs;
        sumOfSquares += x * x;
        ++counted;
    }
}

double LevelMeter::peakDbfs() const
{
    return decibels(peak);
}

double LevelMeter::rmsDbfs() const
{
    return decibels(counted > 0 ? std::sqrt(sumOfSquares / static_cast<double>(counted)) : 0.0);
}

} // namespace qev::render
