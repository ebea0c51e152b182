#pragma once

// What the fuzz targets share: a host callback, stereo blocks of bounded input, and the checks
// every answer must pass. A failed check aborts with a message, and libFuzzer keeps the input.

#include "plugin/VstInterface.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace qev::fuzz
{

// No output of a block whose input lies within -1..1, and no engine state, may reach this:
// the engine's own guard restarts a stage long before, and its survey finds peaks of a few
// hundred at the very worst settings.
constexpr float kRunawayBound = 1e5f;

[[noreturn]] inline void fail(const char* what, double value = 0.0)
{
    std::fprintf(stderr, "fuzz check failed: %s (%g)\n", what, value);
    std::abort();
}

// NaN fails too.
inline void checkBounded(const char* what, float value)
{
    if (!(std::fabs(value) < kRunawayBound))
        fail(what, value);
}

// A host text buffer must hold a terminator within its size after the plug-in wrote into it.
inline void checkTerminated(const char* what, const char* text, size_t size)
{
    if (!std::memchr(text, 0, size))
        fail(what, static_cast<double>(size));
}

inline float floatFromBits(FuzzedDataProvider& in)
{
    const auto bits = in.ConsumeIntegral<std::uint32_t>();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Small numbers near the valid range most of the time, any 32-bit number otherwise.
inline VstInt32 indexFrom(FuzzedDataProvider& in, int low, int high)
{
    return in.ConsumeBool() ? in.ConsumeIntegralInRange<VstInt32>(low, high)
                            : in.ConsumeIntegral<VstInt32>();
}

// The host: interface version 2400, and time information with a tempo of the input's choosing
// (any bits) when `giveTime` is set.
struct FuzzHost
{
    static inline bool giveTime = false;
    static inline VstTimeInfo timeInfo{};

    static VstIntPtr VSTCALLBACK callback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*,
                                          float)
    {
        if (opcode == audioMasterVersion)
            return kVstVersion;
        if (opcode == audioMasterGetTime && giveTime)
            return reinterpret_cast<VstIntPtr>(&timeInfo);
        return 0;
    }
};

// One block of stereo audio in buffers of exactly its size, so that the sanitizer sees any
// access beyond them.
class StereoBlock
{
public:
    explicit StereoBlock(int frames)
        : frames(frames), in{std::vector<float>(frames), std::vector<float>(frames)},
          out{std::vector<float>(frames), std::vector<float>(frames)}
    {
    }

    // Input within -1..1 from the fuzz bytes; silence once they run out.
    void fill(FuzzedDataProvider& source)
    {
        for (auto& channel : in)
            for (float& sample : channel)
                sample = static_cast<float>(source.ConsumeIntegral<std::int16_t>()) / 32768.0f;
    }
    // A fixed noise, for targets whose bytes go elsewhere.
    void fillNoise(unsigned seed)
    {
        for (auto& channel : in)
            for (float& sample : channel)
            {
                seed = seed * 1664525u + 1013904223u;
                sample = static_cast<float>(static_cast<std::int32_t>(seed)) / 2147483648.0f;
            }
    }

    // Processes through the record, in place or into separate buffers, and checks the output.
    void process(AEffect* effect, bool inPlace)
    {
        processWith([effect](float** inputs, float** outputs, int n)
                    { effect->processReplacing(effect, inputs, outputs, n); },
                    inPlace);
    }

    // The same through any call taking (inputs, outputs, frames).
    template <typename Process> void processWith(Process process, bool inPlace)
    {
        float* inputs[2] = {in[0].data(), in[1].data()};
        float* separate[2] = {out[0].data(), out[1].data()};
        float** outputs = inPlace ? inputs : separate;
        process(inputs, outputs, frames);
        for (int c = 0; c < 2; ++c)
            for (int n = 0; n < frames; ++n)
                checkBounded("output sample", outputs[c][n]);
    }

private:
    int frames;
    std::vector<float> in[2];
    std::vector<float> out[2];
};

} // namespace qev::fuzz
