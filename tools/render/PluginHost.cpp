#include "tools/render/PluginHost.h"

#include "tools/render/Error.h"

#include <cstring>

namespace qev::render
{

namespace
{

// Text answers from the plug-in: 256 bytes covers every string length of the interface
// (names are at most 64), and the last byte stays zero whatever the plug-in writes.
constexpr std::size_t kTextBuffer = 256;

// The host whose entry call is in progress: requests made before the record exists (the
// version request passes a null record) reach it through here.
thread_local PluginHost* hostBeingCreated = nullptr;

} // namespace

PluginHost::PluginHost(std::shared_ptr<const PluginModule> loaded)
    : module(std::move(loaded)), path(module->path())
{
    hostBeingCreated = this;
    effect = module->createEffect(&PluginHost::hostCallback);
    hostBeingCreated = nullptr;
    if (!effect)
        throw Error(path + " created no plug-in: its entry returned null");
    if (effect->magic != kEffectMagic)
    {
        effect = nullptr; // not a record we may call into
        throw Error(path + " is not a VST 2.4 plug-in: its record has the wrong magic number");
    }
    effect->user = this;
    dispatch(effOpen);
    std::string problem;
    if (effect->flags & effFlagsIsSynth)
        problem = "it is an instrument, not an effect";
    else if (effect->numInputs != 2 || effect->numOutputs != 2)
        problem = "it has " + std::to_string(effect->numInputs) + " inputs and " +
                  std::to_string(effect->numOutputs) + " outputs, not 2 and 2";
    else if (!(effect->flags & effFlagsCanReplacing) || !effect->processReplacing)
        problem = "it cannot process replacing";
    else if (effect->numParams < 0 || effect->numPrograms < 0)
        problem = "it reports a negative number of parameters or programs";
    if (!problem.empty())
    {
        release();
        throw Error(path + " is not a stereo VST 2.4 effect: " + problem);
    }
}

PluginHost::~PluginHost()
{
    release();
}

void PluginHost::release()
{
    if (effect)
    {
        if (running)
            stop();
        dispatch(effClose);
        effect = nullptr;
    }
}

VstIntPtr VSTCALLBACK PluginHost::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32,
                                               VstIntPtr, void* ptr, float)
{
    PluginHost* host =
        effect && effect->user ? static_cast<PluginHost*>(effect->user) : hostBeingCreated;
    if (opcode == audioMasterVersion)
        return kVstVersion;
    return host ? host->answer(opcode, ptr) : 0;
}

VstIntPtr PluginHost::answer(VstInt32 opcode, void* ptr)
{
    switch (opcode)
    {
    case audioMasterGetTime:
    {
        timeInfo = VstTimeInfo{};
        timeInfo.samplePos = static_cast<double>(position);
        timeInfo.sampleRate = sampleRate;
        timeInfo.tempo = tempo;
        timeInfo.ppqPos = static_cast<double>(position) / sampleRate * tempo / 60.0;
        timeInfo.timeSigNumerator = 4;
        timeInfo.timeSigDenominator = 4;
        timeInfo.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstTimeSigValid;
        return reinterpret_cast<VstIntPtr>(&timeInfo);
    }
    case audioMasterGetVendorString:
        if (ptr)
            std::strcpy(static_cast<char*>(ptr), "QEV");
        return ptr ? 1 : 0;
    case audioMasterGetProductString:
        if (ptr)
            std::strcpy(static_cast<char*>(ptr), "qev-render");
        return ptr ? 1 : 0;
    default: // automate, begin/end edit and idle need nothing from an offline host
        return 0;
    }
}

VstIntPtr PluginHost::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string PluginHost::text(VstInt32 opcode, VstInt32 index, VstIntPtr value)
{
    char buffer[kTextBuffer] = {};
    dispatch(opcode, index, value, buffer);
    buffer[kTextBuffer - 1] = '\0';
    return buffer;
}

std::string PluginHost::effectName()
{
    return text(effGetEffectName);
}

std::string PluginHost::vendorString()
{
    return text(effGetVendorString);
}

std::string PluginHost::productString()
{
    return text(effGetProductString);
}

int PluginHost::vendorVersion()
{
    return static_cast<int>(dispatch(effGetVendorVersion));
}

int PluginHost::vstVersion()
{
    return static_cast<int>(dispatch(effGetVstVersion));
}

std::string PluginHost::paramName(int index)
{
    return text(effGetParamName, index);
}

float PluginHost::param(int index)
{
    return effect->getParameter(effect, index);
}

void PluginHost::setParam(int index, float value)
{
    effect->setParameter(effect, index, value);
}

int PluginHost::program()
{
    return static_cast<int>(dispatch(effGetProgram));
}

void PluginHost::setProgram(int index)
{
    dispatch(effSetProgram, 0, index);
}

std::string PluginHost::programName()
{
    return text(effGetProgramName);
}

void PluginHost::setProgramName(const std::string& name)
{
    char buffer[kTextBuffer] = {};
    name.copy(buffer, kTextBuffer - 1);
    dispatch(effSetProgramName, 0, 0, buffer);
}

std::string PluginHost::programNameIndexed(int index)
{
    return text(effGetProgramNameIndexed, index, 0);
}

std::vector<std::uint8_t> PluginHost::chunk(bool preset)
{
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, preset ? 1 : 0, 0, &data);
    if (size <= 0 || !data)
        throw Error(path + " gave no state chunk");
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

void PluginHost::setChunk(const std::vector<std::uint8_t>& bytes, bool preset)
{
    // The plug-in may keep reading the buffer it is given only during the call; a copy keeps
    // the caller's bytes unchanged whatever the plug-in does with it.
    std::vector<std::uint8_t> copy(bytes);
    if (dispatch(effSetChunk, preset ? 1 : 0, static_cast<VstIntPtr>(copy.size()), copy.data()) ==
        0)
        throw Error("the plug-in refused the " + std::string(preset ? "program" : "bank") +
                    " chunk (" + std::to_string(copy.size()) + " bytes)");
}

void PluginHost::setSampleRate(double rate)
{
    sampleRate = rate;
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
}

void PluginHost::setBlockSize(int frames)
{
    blockSize = frames;
    dispatch(effSetBlockSize, 0, frames);
}

void PluginHost::start()
{
    position = 0;
    dispatch(effMainsChanged, 0, 1);
    running = true;
}

void PluginHost::stop()
{
    dispatch(effMainsChanged, 0, 0);
    running = false;
}

void PluginHost::process(float* const inputs[2], float* const outputs[2], int frames)
{
    float* in[2] = {inputs[0], inputs[1]};
    float* out[2] = {outputs[0], outputs[1]};
    effect->processReplacing(effect, in, out, frames);
    position += frames;
}

} // namespace qev::render
