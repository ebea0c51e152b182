#pragma once

namespace qev::render
{

// Peak and RMS level of a signal fed to it block by block, and how many of its samples lie
// beyond full scale (|x| > 1), which an integer file cannot hold. Samples that are not finite
// numbers are left out of every figure.
class LevelMeter
{
public:
    void add(const float* samples, int count);

    long long samples() const { return counted; }
    long long beyondFullScale() const { return overs; }
    // Decibels relative to full scale (1.0); minus infinity for silence or no samples.
    double peakDbfs() const;
    double rmsDbfs() const;

private:
    double peak = 0.0;
    double sumOfSquares = 0.0;
    long long counted = 0;
    long long overs = 0;
};

} // namespace qev::render
