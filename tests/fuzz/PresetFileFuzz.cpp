// qev-render's preset files: any bytes as a .fxp or .fxb. What decodes encodes back to the same
// preset; applying it to the plug-in either takes it or refuses it with an error, and the plug-in
// then renders a bounded block.

#include "tests/fuzz/FuzzSupport.h"

#include "tools/render/Error.h"
#include "tools/render/PluginHost.h"
#include "tools/render/PluginState.h"
#include "tools/render/PresetFile.h"

#include <memory>

using namespace qev::fuzz;
using namespace qev::render;

namespace
{

bool samePrograms(const std::vector<ParamProgram>& a, const std::vector<ParamProgram>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].name != b[i].name || a[i].values.size() != b[i].values.size() ||
            std::memcmp(a[i].values.data(), b[i].values.data(), a[i].values.size() * 4) != 0)
            return false;
    return true;
}

bool samePreset(const PresetFile& a, const PresetFile& b)
{
    return a.kind == b.kind && a.chunked == b.chunked && a.uniqueId == b.uniqueId &&
           a.pluginVersion == b.pluginVersion && a.numParams == b.numParams &&
           a.numPrograms == b.numPrograms && a.currentProgram == b.currentProgram &&
           a.programName == b.programName && a.chunk == b.chunk &&
           samePrograms(a.programs, b.programs);
}

std::shared_ptr<const PluginModule> module()
{
    static const auto loaded = std::make_shared<const PluginModule>(QEV_MODULE_PATH);
    return loaded;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const std::vector<std::uint8_t> bytes(data, data + size);
    PresetFile preset;
    try
    {
        preset = decodePreset(bytes, "input");
    }
    catch (const Error&)
    {
        return 0;
    }
    try
    {
        if (!samePreset(decodePreset(encodePreset(preset), "encoded"), preset))
            fail("a decoded preset does not encode back to itself");
    }
    catch (const Error&)
    {
        fail("a decoded preset does not encode to a readable file");
    }

    PluginHost host(module());
    try
    {
        applyPreset(host, preset, "input");
    }
    catch (const Error&)
    {
    }
    host.setBlockSize(256);
    host.start();
    StereoBlock block(256);
    block.fillNoise(static_cast<unsigned>(size));
    block.processWith(
        [&host](float** in, float** out, int frames) { host.process(in, out, frames); }, false);
    return 0;
}
