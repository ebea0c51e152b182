// A host automating parameters and switching programs on one thread while another processes
// audio: no data race (run under ThreadSanitizer in CI) and finite output throughout.

#include "tests/plugin/ModuleHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

namespace
{

TEST(Concurrency, AutomationWhileProcessing)
{
    ModuleHost host;
    ASSERT_NE(host.open(), nullptr);
    AEffect* effect = host.effect;
    std::atomic<bool> done{false};
    std::atomic<long> blocks{0};
    std::atomic<bool> finite{true};

    std::thread audio(
        [&]
        {
            std::vector<float> left(256), right(256);
            std::mt19937 rng(1);
            std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
            while (!done)
            {
                for (int i = 0; i < 256; ++i)
                {
                    left[i] = noise(rng);
                    right[i] = noise(rng);
                }
                float* buffers[2] = {left.data(), right.data()};
                effect->processReplacing(effect, buffers, buffers, 256);
                for (int i = 0; i < 256; ++i)
                    if (!std::isfinite(left[i]) || !std::isfinite(right[i]))
                        finite = false;
                ++blocks;
            }
        });

    const unsigned seed = 99;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const float hostile[] = {NAN, INFINITY, -1.0f, 1e30f, 13.0f};
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    long changes = 0;
    while (std::chrono::steady_clock::now() < end || blocks < 100)
    {
        const int index = static_cast<int>(rng() % 23);
        const float value =
            rng() % 10 == 0 ? hostile[rng() % 5] : unit(rng) * (index == 2 ? 12.0f : 1.0f);
        effect->setParameter(effect, index, value);
        (void)effect->getParameter(effect, index);
        if (++changes % 1000 == 0)
            host.dispatch(effSetProgram, 0, static_cast<VstIntPtr>(rng() % 20));
    }
    done = true;
    audio.join();
    EXPECT_TRUE(finite) << "seed " << seed;
    EXPECT_GE(blocks, 100);
}

} // namespace
