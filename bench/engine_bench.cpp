// Cost of the engine per stereo frame at 44100 Hz. Reports nanoseconds per frame and the
// real-time factor (audio seconds processed per second of CPU).
#include "engine/FactorySettings.h"
#include "engine/StereoPhaser.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

namespace
{

constexpr float kSampleRate = 44100.0f;
constexpr int kBlock = 512;

void applyGetAlive(qev::EngineParams& params, float type)
{
    const auto& values = qev::kFactorySettings[0].values;
    for (int i = 0; i < 9; ++i)
        params.set(i + 1, values[i]);
    params.set(qev::kParamType, type);
}

// The setting used to compare with other phasers: three stages, k about 0.6, LFO about 0.5 Hz,
// fully wet.
void applyRich(qev::EngineParams& params)
{
    applyGetAlive(params, 2.0f);
    params.set(qev::kParamFeedback, 0.205f);
    params.set(qev::kParamSpeed, 0.437f);
    params.set(qev::kParamDryWet, 1.0f);
}

void runEngine(benchmark::State& state, qev::EngineParams& params)
{
    qev::StereoPhaser engine(kSampleRate, params);
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    std::vector<float> left(kBlock), right(kBlock), inLeft(kBlock), inRight(kBlock);
    for (int i = 0; i < kBlock; ++i)
    {
        inLeft[i] = noise(rng);
        inRight[i] = noise(rng);
    }
    for (auto _ : state)
    {
        // Blocks as the plug-in runs them.
        std::copy(inLeft.begin(), inLeft.end(), left.begin());
        std::copy(inRight.begin(), inRight.end(), right.begin());
        engine.process(left.data(), right.data(), kBlock, 120.0f);
        benchmark::DoNotOptimize(left.data());
        benchmark::DoNotOptimize(right.data());
        benchmark::ClobberMemory();
    }
    const double frames = static_cast<double>(state.iterations()) * kBlock;
    state.SetItemsProcessed(static_cast<int64_t>(frames));
    state.counters["ns_per_frame"] = benchmark::Counter(
        frames * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["realtime_x"] =
        benchmark::Counter(frames / kSampleRate, benchmark::Counter::kIsRate);
}

void GetAlive(benchmark::State& state)
{
    qev::EngineParams params;
    applyGetAlive(params, static_cast<float>(state.range(0)));
    runEngine(state, params);
}
BENCHMARK(GetAlive)->ArgName("type")->Arg(0)->Arg(1)->Arg(2);

void Rich(benchmark::State& state)
{
    qev::EngineParams params;
    applyRich(params);
    runEngine(state, params);
}
BENCHMARK(Rich);

// The rich setting on the SSE path every x86-64 has (Rich takes the widest the processor has).
void RichSse(benchmark::State& state)
{
    qev::PhaserStages::choosePath(qev::PhaserStages::Path::Sse);
    qev::EngineParams params;
    applyRich(params);
    runEngine(state, params);
    qev::PhaserStages::choosePath(qev::PhaserStages::Path::Avx); // where supported
}
BENCHMARK(RichSse);

} // namespace

BENCHMARK_MAIN();
