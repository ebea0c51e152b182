#include "tools/render/Renderer.h"

#include "tools/render/Error.h"
#include "tools/render/Signals.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ostream>
#include <vector>

namespace qev::render
{

RenderResult render(PluginHost& host, Source& source, int blockSize, const TailSetting& tail,
                    AudioWriter& sink, Progress& progress)
{
    const auto size = static_cast<std::size_t>(blockSize);
    std::vector<float> inLeft(size), inRight(size), outLeft(size), outRight(size);
    std::vector<float> interleaved(2 * size);
    float* const inputs[2] = {inLeft.data(), inRight.data()};
    float* const outputs[2] = {outLeft.data(), outRight.data()};

    RenderResult result;
    TailEnd tailEnd(tail, source.sampleRate());
    bool pastInput = false;
    host.start();
    for (;;)
    {
        if (interrupted())
            throw Error("interrupted; no output file was written");
        int frames = pastInput ? 0 : source.read(inLeft.data(), inRight.data(), blockSize);
        if (frames > 0)
        {
            result.input.add(inLeft.data(), frames);
            result.input.add(inRight.data(), frames);
            result.inputFrames += frames;
        }
        else
        {
            pastInput = true;
            frames = tailEnd.nextBlock(blockSize);
            if (frames <= 0)
                break;
            // Every block: a plug-in may have written into its inputs.
            std::fill(inLeft.begin(), inLeft.end(), 0.0f);
            std::fill(inRight.begin(), inRight.end(), 0.0f);
        }
        host.process(inputs, outputs, frames);
        const int kept = tailEnd.keep(outLeft.data(), outRight.data(), frames, pastInput);
        for (int n = 0; n < kept; ++n)
        {
            interleaved[static_cast<std::size_t>(2 * n)] = outLeft[static_cast<std::size_t>(n)];
            interleaved[static_cast<std::size_t>(2 * n + 1)] =
                outRight[static_cast<std::size_t>(n)];
        }
        sink.write(interleaved.data(), kept);
        result.output.add(outLeft.data(), kept);
        result.output.add(outRight.data(), kept);
        result.frames += kept;
        progress.advance(kept);
    }
    host.stop();
    return result;
}

namespace
{

int findParam(PluginHost& host, const std::string& name)
{
    for (int i = 0; i < host.numParams(); ++i)
        if (host.paramName(i) == name)
            return i;
    return -1;
}

// Noise is made before timing starts, so only the plug-in is measured.
double timeRun(PluginHost& host, const std::vector<float>& left, const std::vector<float>& right,
               long long frames, int blockSize)
{
    const auto size = static_cast<std::size_t>(blockSize);
    std::vector<float> outLeft(size), outRight(size);
    float* const outputs[2] = {outLeft.data(), outRight.data()};
    const long long period = static_cast<long long>(left.size());
    host.start();
    const auto start = std::chrono::steady_clock::now();
    for (long long done = 0; done < frames;)
    {
        if (interrupted())
            throw Error("interrupted");
        const long long offset = done % period;
        const int count = static_cast<int>(std::min<long long>(
            {static_cast<long long>(blockSize), frames - done, period - offset}));
        float* const inputs[2] = {const_cast<float*>(left.data() + offset),
                                  const_cast<float*>(right.data() + offset)};
        host.process(inputs, outputs, count);
        done += count;
    }
    const auto stop = std::chrono::steady_clock::now();
    host.stop();
    return std::chrono::duration<double>(stop - start).count();
}

} // namespace

void bench(PluginHost& host, double seconds, int sampleRate, int blockSize, std::ostream& out)
{
    const long long frames = std::max(1LL, static_cast<long long>(seconds * sampleRate));
    // One second of noise, repeated: enough variety without a large buffer.
    NoiseSource noise(sampleRate, sampleRate);
    std::vector<float> left(static_cast<std::size_t>(sampleRate));
    std::vector<float> right(left.size());
    noise.read(left.data(), right.data(), sampleRate);

    const int type = findParam(host, "TYPE");
    const int runs = type >= 0 ? 3 : 1;
    out << "bench: " << seconds << " s of noise at " << sampleRate << " Hz, blocks of " << blockSize
        << " frames\n";
    for (int run = 0; run < runs; ++run)
    {
        if (type >= 0)
            host.setParam(type, static_cast<float>(run));
        const double elapsed = timeRun(host, left, right, frames, blockSize);
        const double nsPerFrame = elapsed * 1e9 / static_cast<double>(frames);
        const double factor = static_cast<double>(frames) / sampleRate / elapsed;
        char line[160];
        std::snprintf(line, sizeof line, "%s: %.1f ns per stereo frame, %.0fx real time\n",
                      type >= 0 ? ("TYPE " + std::to_string(run)).c_str() : "current settings",
                      nsPerFrame, factor);
        out << line;
    }
}

} // namespace qev::render
