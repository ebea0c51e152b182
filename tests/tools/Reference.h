#pragma once

// The plug-in's output computed in-process: QevVst driven directly, as the tool should drive
// the module, with a host that answers the version and a time record with the given tempo.

#include "ToolRunner.h"
#include "plugin/QevVst.h"

#include <functional>
#include <memory>

namespace tooltest
{

struct ReferenceHost
{
    static VstTimeInfo& time()
    {
        static VstTimeInfo info{};
        return info;
    }
    static VstIntPtr VSTCALLBACK callback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*,
                                          float)
    {
        if (opcode == audioMasterVersion)
            return 2400;
        if (opcode == audioMasterGetTime)
            return reinterpret_cast<VstIntPtr>(&time());
        return 0;
    }
};

// Renders `input` (mono feeds both inputs) after `setup` has configured the plug-in.
inline Audio referenceRender(const Audio& input, const std::function<void(QevVst&)>& setup = {},
                             double tempo = 120.0, int blockSize = 512)
{
    ReferenceHost::time() = VstTimeInfo{};
    ReferenceHost::time().tempo = tempo;
    auto plugin = std::make_unique<QevVst>(&ReferenceHost::callback);
    plugin->setSampleRate(static_cast<float>(input.rate));
    plugin->setBlockSize(blockSize);
    if (setup)
        setup(*plugin);
    plugin->resume();

    Audio output;
    output.rate = input.rate;
    output.channels.assign(2, std::vector<float>(static_cast<std::size_t>(input.frames())));
    const auto& left = input.channels.front();
    const auto& right = input.channels.back();
    for (long long start = 0; start < input.frames(); start += blockSize)
    {
        const int frames = static_cast<int>(std::min<long long>(blockSize, input.frames() - start));
        std::vector<float> inL(left.begin() + start, left.begin() + start + frames);
        std::vector<float> inR(right.begin() + start, right.begin() + start + frames);
        float* inputs[2] = {inL.data(), inR.data()};
        float* outputs[2] = {output.channels[0].data() + start, output.channels[1].data() + start};
        plugin->processReplacing(inputs, outputs, frames);
    }
    plugin->suspend();
    return output;
}

} // namespace tooltest
