// The editor's costs that users notice, measured on the built module in an Xvfb of its own as a
// host drives it: idling at 50 Hz with nothing changing (the plug-in's thread and the X server
// together), opening the editor up to its first picture on the server, and redrawing one knob
// after a parameter change.
#include "tests/editor/ModuleHost.h"
#include "tests/support/XHarness.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>

namespace
{

using editortest::HostedPlugin;
using qev::test::HostClient;

// One server, one host window and one plug-in for the whole run.
struct Setup
{
    std::unique_ptr<qev::test::VirtualXServer> server;
    std::unique_ptr<HostClient> host;
    editortest::RecordingHost recorder;
    std::unique_ptr<qev::test::LoadedModule> module;
    std::unique_ptr<HostedPlugin> plugin;
    Window top = 0;

    Setup()
    {
        server = std::make_unique<qev::test::VirtualXServer>();
        if (!server->running())
            return;
        server->makeDefault();
        host = std::make_unique<HostClient>(server->displayName());
        top = host->createTopLevel(521, 166);
        module = std::make_unique<qev::test::LoadedModule>(QEV_MODULE_PATH);
        plugin = std::make_unique<HostedPlugin>(*module);
        if (!plugin->effect)
            plugin.reset();
    }
    ~Setup()
    {
        plugin.reset();
        module.reset();
    }

    void open()
    {
        plugin->dispatch(effEditOpen, 0, 0, HostClient::hwnd(top));
        // The first exposure arrives, and is painted at the next idle.
        for (int i = 0; i < 3; ++i)
        {
            host->sync();
            plugin->dispatch(effEditIdle);
        }
        host->sync();
    }
};

Setup& setup()
{
    static Setup s;
    return s;
}

long long processCpuMicroseconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<long long>(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

// One iteration is one second of a host idling the open editor 50 times; the counters are the
// share of one core the plug-in's process and the X server used meanwhile, in percent.
void BM_IdleAt50HzWithNothingChanging(benchmark::State& state)
{
    if (!setup().plugin)
    {
        state.SkipWithError("no X server or no module");
        return;
    }
    setup().open();
    const long long serverBefore = setup().server->cpuMicroseconds();
    const long long ownBefore = processCpuMicroseconds();
    const auto start = editortest::Clock::now();
    for (auto _ : state)
        for (int i = 0; i < 50; ++i)
        {
            setup().plugin->dispatch(effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    const double wallUs = static_cast<double>(
        std::chrono::duration_cast<std::chrono::microseconds>(editortest::Clock::now() - start)
            .count());
    state.counters["plugin_cpu_%"] =
        100.0 * static_cast<double>(processCpuMicroseconds() - ownBefore) / wallUs;
    state.counters["server_cpu_%"] =
        100.0 * static_cast<double>(setup().server->cpuMicroseconds() - serverBefore) / wallUs;
    setup().plugin->dispatch(effEditClose);
}
BENCHMARK(BM_IdleAt50HzWithNothingChanging)->Iterations(3)->Unit(benchmark::kMillisecond);

// effEditOpen and the idle that paints the first exposure, up to the server having the picture.
void BM_OpenToFirstPicture(benchmark::State& state)
{
    if (!setup().plugin)
    {
        state.SkipWithError("no X server or no module");
        return;
    }
    for (auto _ : state)
    {
        setup().open();
        state.PauseTiming();
        setup().plugin->dispatch(effEditClose);
        setup().host->sync();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenToFirstPicture)->Unit(benchmark::kMillisecond);

// A host's parameter change and the idle that redraws the one knob it moves, up to the server
// having drawn it.
void BM_RedrawOneKnob(benchmark::State& state)
{
    if (!setup().plugin)
    {
        state.SkipWithError("no X server or no module");
        return;
    }
    setup().open();
    bool high = false;
    for (auto _ : state)
    {
        high = !high;
        setup().plugin->set(1, high ? 0.9f : 0.1f);
        setup().plugin->dispatch(effEditIdle);
        setup().host->sync();
    }
    setup().plugin->dispatch(effEditClose);
}
BENCHMARK(BM_RedrawOneKnob)->Unit(benchmark::kMicrosecond);

// The same idle with nothing changed, for comparison: what the redraw itself adds.
void BM_IdleWithNothingChanged(benchmark::State& state)
{
    if (!setup().plugin)
    {
        state.SkipWithError("no X server or no module");
        return;
    }
    setup().open();
    for (auto _ : state)
    {
        setup().plugin->dispatch(effEditIdle);
        setup().host->sync();
    }
    setup().plugin->dispatch(effEditClose);
}
BENCHMARK(BM_IdleWithNothingChanged)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
