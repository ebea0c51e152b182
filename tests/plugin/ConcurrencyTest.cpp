// Hosts calling from several threads at once: automation and program switches against audio,
// two program menus, an autosave during automation, a sample-rate change during processing. No
// data race (run under ThreadSanitizer in CI), no corrupted bank and finite output throughout.

#include "tests/plugin/ModuleHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <thread>
#include <vector>

namespace
{

// Runs each body on its own thread, over and over, until the time is up.
void runTogetherFor(std::chrono::milliseconds duration, std::vector<std::function<void()>> bodies)
{
    std::atomic<bool> done{false};
    std::vector<std::thread> threads;
    for (auto& body : bodies)
        threads.emplace_back(
            [&done, &body]
            {
                while (!done.load(std::memory_order_relaxed))
                    body();
            });
    std::this_thread::sleep_for(duration);
    done = true;
    for (auto& thread : threads)
        thread.join();
}

std::vector<unsigned char> chunkOf(ModuleHost& host, bool preset)
{
    void* data = nullptr;
    const VstIntPtr size = host.dispatch(effGetChunk, preset ? 1 : 0, 0, &data);
    const auto* bytes = static_cast<const unsigned char*>(data);
    return std::vector<unsigned char>(bytes, bytes + size);
}

// Processes one block in place and answers whether every output sample is finite.
bool processedFinite(AEffect* effect, std::vector<float>& left, std::vector<float>& right)
{
    float* buffers[2] = {left.data(), right.data()};
    const auto frames = static_cast<VstInt32>(left.size());
    effect->processReplacing(effect, buffers, buffers, frames);
    for (VstInt32 i = 0; i < frames; ++i)
        if (!std::isfinite(left[i]) || !std::isfinite(right[i]))
            return false;
    return true;
}

TEST(Concurrency, AutomationWhileProcessing)
{
    ModuleHost host;
    ASSERT_NE(host.open(), nullptr);
    AEffect* effect = host.effect;
    std::atomic<long> blocks{0};
    std::atomic<bool> finite{true};
    std::mt19937 noiseRng(1);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    std::vector<float> left(256), right(256);

    const unsigned seed = 99;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const float hostile[] = {NAN, INFINITY, -1.0f, 1e30f, 13.0f};
    long changes = 0;
    runTogetherFor(std::chrono::seconds(2),
                   {[&]
                    {
                        for (int i = 0; i < 256; ++i)
                        {
                            left[i] = noise(noiseRng);
                            right[i] = noise(noiseRng);
                        }
                        if (!processedFinite(effect, left, right))
                            finite = false;
                        ++blocks;
                    },
                    [&]
                    {
                        const int index = static_cast<int>(rng() % 23);
                        const float value = rng() % 10 == 0
                                                ? hostile[rng() % 5]
                                                : unit(rng) * (index == 2 ? 12.0f : 1.0f);
                        effect->setParameter(effect, index, value);
                        (void)effect->getParameter(effect, index);
                        if (++changes % 1000 == 0)
                            host.dispatch(effSetProgram, 0, static_cast<VstIntPtr>(rng() % 20));
                    }});
    EXPECT_TRUE(finite) << "seed " << seed;
    EXPECT_GE(blocks, 100);
}

// A host's program menu and a MIDI program change, at once: each switch must load its own
// program, never store one program's values in another.
TEST(Concurrency, ProgramSwitchesFromTwoThreadsKeepTheBank)
{
    ModuleHost host;
    ASSERT_NE(host.open(), nullptr);
    const std::vector<unsigned char> factory = chunkOf(host, false);
    runTogetherFor(std::chrono::milliseconds(200), {[&] { host.dispatch(effSetProgram, 0, 3); },
                                                    [&] { host.dispatch(effSetProgram, 0, 4); }});
    const std::vector<unsigned char> bank = chunkOf(host, false);
    ASSERT_EQ(bank.size(), factory.size());
    const auto differing = std::mismatch(bank.begin(), bank.end(), factory.begin()).first;
    EXPECT_TRUE(differing == bank.end()) << "program " << (differing - bank.begin()) / 1136;
}

// Automation, program switches and a host's autosave at once. Every saved chunk is a state
// that played: the current program's values in a preset chunk are what the engine was given,
// and the bank around it keeps the other programs as they were.
TEST(Concurrency, ChunksReadWhileAutomatingAndSwitchingAreConsistent)
{
    ModuleHost host;
    ASSERT_NE(host.open(), nullptr);
    AEffect* effect = host.effect;
    host.dispatch(effSetProgram, 0, 12);
    const std::vector<unsigned char> factory = chunkOf(host, false);
    std::atomic<int> tag{0};
    bool consistent = true;
    runTogetherFor(std::chrono::milliseconds(200),
                   {// Parameters 10..22 are stored, not heard: a marker written across all of them.
                    [&]
                    {
                        const float marker = static_cast<float>(++tag);
                        for (int i = 10; i < 23; ++i)
                            effect->setParameter(effect, i, marker);
                    },
                    [&] { host.dispatch(effSetProgram, 0, 12 + tag % 2); },
                    [&]
                    {
                        const std::vector<unsigned char> bank = chunkOf(host, false);
                        // Programs 0..11 are never current here and must stay factory programs.
                        consistent =
                            consistent &&
                            std::equal(factory.begin(), factory.begin() + 12 * 1136, bank.begin());
                    }});
    EXPECT_TRUE(consistent);
    // At rest, the current program in the chunk is exactly what the engine holds.
    const std::vector<unsigned char> preset = chunkOf(host, true);
    for (int i = 0; i < 23; ++i)
    {
        float stored;
        std::memcpy(&stored, preset.data() + 24 + 4 * i, sizeof stored);
        EXPECT_EQ(stored, effect->getParameter(effect, i)) << i;
    }
}

// A host that changes the sample rate without suspending first: the audio thread must never
// run on a half-built or freed engine, and the output stays finite.
TEST(Concurrency, SampleRateChangesWhileProcessing)
{
    ModuleHost host;
    ASSERT_NE(host.open(), nullptr);
    AEffect* effect = host.effect;
    std::atomic<bool> finite{true};
    std::atomic<long> blocks{0};
    const float rates[] = {44100.0f, 48000.0f, 96000.0f, 22050.0f};
    std::atomic<int> next{0};
    runTogetherFor(std::chrono::milliseconds(300),
                   {[&]
                    {
                        std::vector<float> left(128, 0.5f), right(128, -0.5f);
                        if (!processedFinite(effect, left, right))
                            finite = false;
                        ++blocks;
                    },
                    [&]
                    {
                        host.dispatch(effSetSampleRate, 0, 0, nullptr, rates[next++ % 4]);
                        std::this_thread::yield();
                    }});
    EXPECT_TRUE(finite);
    EXPECT_GT(blocks, 10);
}

} // namespace
