// The state a host restores: any bytes as a chunk, as a preset or a bank, stating any size up
// to what it gives. A chunk the plug-in takes comes back byte for byte; one it refuses changes
// nothing. Then a program switch, the texts a host reads, and a block of audio that stays
// finite and bounded.

#include "tests/fuzz/FuzzSupport.h"

#include "plugin/ProgramRecord.h"
#include "plugin/QevVst.h"

#include <memory>

using namespace qev::fuzz;

namespace
{

std::vector<std::uint8_t> chunkOf(QevVst& plugin, bool preset)
{
    void* data = nullptr;
    const VstInt32 size = plugin.getChunk(&data, preset);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

const std::vector<std::uint8_t>& factoryBank()
{
    static const std::vector<std::uint8_t> bank = []
    {
        QevVst plugin(FuzzHost::callback);
        return chunkOf(plugin, false);
    }();
    return bank;
}

void readTexts(QevVst& plugin)
{
    char text[kVstMaxParamStrLen];
    for (int i = -1; i <= qev::kNumParams; ++i)
    {
        plugin.getParameterDisplay(i, text);
        checkTerminated("parameter display", text, sizeof text);
        plugin.getParameterLabel(i, text);
        checkTerminated("parameter label", text, sizeof text);
    }
    char name[kVstMaxProgNameLen];
    plugin.getProgramName(name);
    checkTerminated("program name", name, sizeof name);
    for (int i = 0; i < qev::kNumPrograms; ++i)
    {
        plugin.getProgramNameIndexed(0, i, name);
        checkTerminated("indexed program name", name, sizeof name);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const bool preset = in.ConsumeBool();
    const VstInt32 program = indexFrom(in, -1, qev::kNumPrograms);
    const std::vector<std::uint8_t> given = in.ConsumeRemainingBytes<std::uint8_t>();
    // Exactly the bytes given, so that a read past them is caught.
    std::unique_ptr<std::uint8_t[]> chunk(new std::uint8_t[given.size()]);
    if (!given.empty())
        std::memcpy(chunk.get(), given.data(), given.size());
    const auto stated = static_cast<VstInt32>(given.size());
    const size_t needed = preset ? qev::kPresetChunkBytes : qev::kBankChunkBytes;

    const std::vector<std::uint8_t>& factory = factoryBank();
    QevVst plugin(FuzzHost::callback);
    const VstInt32 taken = plugin.setChunk(chunk.get(), stated, preset);
    if (taken != (given.size() >= needed ? 1 : 0))
        fail("setChunk answer", taken);
    const std::vector<std::uint8_t> after = chunkOf(plugin, preset);
    if (taken == 1 && std::memcmp(after.data(), given.data(), needed) != 0)
        fail("a chunk taken does not come back unchanged");
    if (taken == 0 && std::memcmp(after.data(), factory.data(), after.size()) != 0)
        fail("a chunk refused changed the state");

    plugin.setProgram(program);
    readTexts(plugin);
    StereoBlock block(512);
    block.fillNoise(static_cast<unsigned>(size));
    block.process(plugin.getAeffect(), taken == 1);
    return 0;
}
