#pragma once

// Where the audio fed to the plug-in comes from: a file, the built-in demo or bench noise.

#include "tools/render/AudioFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qev::render
{

class Source
{
public:
    virtual ~Source() = default;
    virtual int sampleRate() const = 0;
    virtual long long frames() const = 0; // total length; reading stops there
    // Fills up to `count` frames of left and right; answers how many, 0 at the end.
    virtual int read(float* left, float* right, int count) = 0;
};

// A mono or stereo file; a mono file feeds the same signal to both plug-in inputs.
class FileSource : public Source
{
public:
    explicit FileSource(const std::string& path) : reader(path) {}
    int sampleRate() const override { return reader.sampleRate(); }
    long long frames() const override { return reader.frames(); }
    int format() const { return reader.format(); }
    int read(float* left, float* right, int count) override;

private:
    AudioReader reader;
    std::vector<float> interleaved;
};

// White noise at -6 dBFS, uncorrelated between the channels, the same on every run.
class NoiseSource : public Source
{
public:
    NoiseSource(int sampleRate, long long frames) : rate(sampleRate), length(frames) {}
    int sampleRate() const override { return rate; }
    long long frames() const override { return length; }
    int read(float* left, float* right, int count) override;

private:
    float next();

    int rate;
    long long length;
    long long position = 0;
    std::uint32_t state = 0x2545F491u;
};

} // namespace qev::render
