// The threads of a host at its most demanding, shared by the stress tests: an audio thread
// processing blocks of random sizes (0 to 8192 frames, in place and not), an automation thread
// setting random and hostile values on random parameters, switching programs and now and then
// the sample rate, and a host thread reading names, displays and chunks. They run from the
// constructor of StressThreads until finish(); the caller's thread is free for more.
#pragma once

#include "tests/plugin/ModuleHost.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace stress
{

constexpr int kMaxBlock = 8192;

class StressThreads
{
public:
    StressThreads(ModuleHost& host, unsigned seed)
        : audio([this, &host, seed] { processAudio(host.effect, seed); }),
          automation([this, &host, seed] { automate(host, seed + 1); }),
          reader([this, &host, seed] { readState(host, seed + 2); })
    {
    }
    ~StressThreads() { finish(); }
    StressThreads(const StressThreads&) = delete;
    StressThreads& operator=(const StressThreads&) = delete;

    // Stops the three threads and waits for them.
    void finish()
    {
        done = true;
        for (std::thread* t : {&audio, &automation, &reader})
            if (t->joinable())
                t->join();
    }

    // Every output sample was finite.
    std::atomic<bool> finite{true};
    // Every text the plug-in wrote had its terminator within the host's buffer.
    std::atomic<bool> terminated{true};
    std::atomic<long> blocks{0};

private:
    void processAudio(AEffect* effect, unsigned seed)
    {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
        std::vector<float> in[2] = {std::vector<float>(kMaxBlock), std::vector<float>(kMaxBlock)};
        std::vector<float> out[2] = {std::vector<float>(kMaxBlock), std::vector<float>(kMaxBlock)};
        while (!done.load(std::memory_order_relaxed))
        {
            const int frames = static_cast<int>(rng() % (kMaxBlock + 1));
            const bool inPlace = rng() % 2 == 0;
            for (auto& channel : in)
                for (int i = 0; i < frames; ++i)
                    channel[i] = noise(rng);
            float* inputs[2] = {in[0].data(), in[1].data()};
            float* separate[2] = {out[0].data(), out[1].data()};
            float** outputs = inPlace ? inputs : separate;
            effect->processReplacing(effect, inputs, outputs, frames);
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < frames; ++i)
                    if (!std::isfinite(outputs[c][i]))
                        finite = false;
            ++blocks;
        }
    }

    void automate(ModuleHost& host, unsigned seed)
    {
        AEffect* effect = host.effect;
        std::mt19937 rng(seed);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        const float hostile[] = {NAN, INFINITY, -INFINITY, -1.0f, 1e30f, 13.0f, 1e-45f};
        const float rates[] = {44100.0f, 48000.0f, 96000.0f, 22050.0f, 192000.0f};
        for (long n = 0; !done.load(std::memory_order_relaxed); ++n)
        {
            const int index = static_cast<int>(rng() % 25) - 1;
            const float value = rng() % 8 == 0 ? hostile[rng() % 7] : unit(rng) * 12.0f;
            effect->setParameter(effect, index, value);
            (void)effect->getParameter(effect, index);
            if (n % 64 == 0)
                host.dispatch(effSetProgram, 0, static_cast<VstIntPtr>(rng() % 22) - 1);
            if (n % 4096 == 0)
                host.dispatch(effSetSampleRate, 0, 0, nullptr, rates[rng() % 5]);
        }
    }

    void readState(ModuleHost& host, unsigned seed)
    {
        std::mt19937 rng(seed);
        while (!done.load(std::memory_order_relaxed))
        {
            char text[64];
            for (VstInt32 opcode : {effGetParamName, effGetParamDisplay, effGetParamLabel})
            {
                std::memset(text, 0x5A, sizeof text);
                host.dispatch(opcode, static_cast<VstInt32>(rng() % 23), 0, text);
                terminated = terminated && std::memchr(text, 0, sizeof text) != nullptr;
            }
            host.dispatch(effGetProgramName, 0, 0, text);
            host.dispatch(effGetProgramNameIndexed, static_cast<VstInt32>(rng() % 20), 0, text);
            (void)host.dispatch(effGetProgram);
            void* chunk = nullptr;
            const VstIntPtr size =
                host.dispatch(effGetChunk, static_cast<VstInt32>(rng() % 2), 0, &chunk);
            std::vector<unsigned char> copy(static_cast<size_t>(size));
            std::memcpy(copy.data(), chunk, copy.size());
        }
    }

    std::atomic<bool> done{false};
    std::thread audio;
    std::thread automation;
    std::thread reader;
};

} // namespace stress
