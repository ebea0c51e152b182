// Cost of creating and closing one plug-in instance through the built module, as a host does
// when it scans or instantiates the plug-in.
#include "plugin/VstInterface.h"

#include <benchmark/benchmark.h>

#include <dlfcn.h>

namespace
{

VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

using Entry = AEffect*(VSTCALLBACK*)(audioMasterCallback);

void CreateAndClose(benchmark::State& state)
{
    void* module = dlopen(QEV_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!module)
    {
        state.SkipWithError("module not found");
        return;
    }
    auto entry = reinterpret_cast<Entry>(dlsym(module, "VSTPluginMain"));
    for (auto _ : state)
    {
        AEffect* effect = entry(&host);
        benchmark::DoNotOptimize(effect);
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
    dlclose(module);
}
BENCHMARK(CreateAndClose)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
