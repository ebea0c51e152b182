#include "AudioEffect.h"

#include "AEffEditor.h"
#include "VstStrings.h"

#include <cstring>

namespace
{

AudioEffect* objectOf(AEffect* e)
{
    return e ? static_cast<AudioEffect*>(e->object) : nullptr;
}

VstIntPtr answerOf(bool result)
{
    return result ? 1 : 0;
}

} // namespace

VstIntPtr VSTCALLBACK dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt)
{
    AudioEffect* object = objectOf(e);
    if (!object)
        return 0;
    if (opcode != effClose)
        return object->dispatcher(opcode, index, value, ptr, opt);
    object->dispatcher(opcode, index, value, ptr, opt);
    delete object;
    return 1;
}

void VSTCALLBACK processClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames)
{
    if (AudioEffect* object = objectOf(e))
        object->process(inputs, outputs, sampleFrames);
}

void VSTCALLBACK setParameterClass(AEffect* e, VstInt32 index, float value)
{
    if (AudioEffect* object = objectOf(e))
        object->setParameter(index, value);
}

float VSTCALLBACK getParameterClass(AEffect* e, VstInt32 index)
{
    AudioEffect* object = objectOf(e);
    return object ? object->getParameter(index) : 0.0f;
}

void VSTCALLBACK processClassReplacing(AEffect* e, float** inputs, float** outputs,
                                       VstInt32 sampleFrames)
{
    if (AudioEffect* object = objectOf(e))
        object->processReplacing(inputs, outputs, sampleFrames);
}

void VSTCALLBACK processClassDoubleReplacing(AEffect* e, double** inputs, double** outputs,
                                             VstInt32 sampleFrames)
{
    if (AudioEffect* object = objectOf(e))
        object->processDoubleReplacing(inputs, outputs, sampleFrames);
}

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : audioMaster(audioMaster), numPrograms(numPrograms), numParams(numParams)
{
    std::memset(&cEffect, 0, sizeof cEffect);
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEffectClass;
    cEffect.process = processClass;
    cEffect.setParameter = setParameterClass;
    cEffect.getParameter = getParameterClass;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = fourCC("NoEf");
    cEffect.version = 1;
    cEffect.processReplacing = processClassReplacing;
    // Not through the virtual slot: a constructor reaches only this class's version anyway.
    AudioEffect::canProcessReplacing(true);
    cEffect.processDoubleReplacing = processClassDoubleReplacing;
}

AudioEffect::~AudioEffect()
{
    delete editor;
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt)
{
    auto* text = static_cast<char*>(ptr);
    VstIntPtr result = 0;
    switch (opcode)
    {
    case effOpen:
        open();
        break;
    case effClose:
        close();
        break;
    case effSetProgram:
        // Only the upper bound is checked here; setProgram rejects negative numbers itself.
        if (value < numPrograms)
            setProgram(static_cast<VstInt32>(value));
        break;
    case effGetProgram:
        result = getProgram();
        break;
    case effSetProgramName:
        if (text)
            setProgramName(text);
        break;
    case effGetProgramName:
        if (text)
            getProgramName(text);
        break;
    case effGetParamLabel:
        if (text)
            getParameterLabel(index, text);
        break;
    case effGetParamDisplay:
        if (text)
            getParameterDisplay(index, text);
        break;
    case effGetParamName:
        if (text)
            getParameterName(index, text);
        break;
    case effSetSampleRate:
        setSampleRate(opt);
        break;
    case effSetBlockSize:
        setBlockSize(static_cast<VstInt32>(value));
        break;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        break;
    case effEditGetRect:
    case effEditOpen:
    case effEditClose:
    case effEditIdle:
        result = dispatchEditor(opcode, ptr);
        break;
    case effIdentify:
        result = fourCC("NvEf");
        break;
    case effGetChunk:
        if (ptr)
            result = getChunk(static_cast<void**>(ptr), index != 0);
        break;
    case effSetChunk:
        if (ptr)
            result = setChunk(ptr, static_cast<VstInt32>(value), index != 0);
        break;
    default:
        break;
    }
    return result;
}

VstIntPtr AudioEffect::dispatchEditor(VstInt32 opcode, void* ptr)
{
    if (!editor)
        return 0;
    switch (opcode)
    {
    case effEditGetRect:
        return ptr ? answerOf(editor->getRect(static_cast<ERect**>(ptr))) : 0;
    case effEditOpen:
        // A null parent window is a probe, not a window to open in.
        return ptr ? answerOf(editor->open(ptr)) : 0;
    case effEditClose:
        editor->close();
        return 0;
    case effEditIdle:
        editor->idle();
        return 0;
    default:
        return 0;
    }
}

void AudioEffect::setSampleRate(float newSampleRate)
{
    sampleRate = newSampleRate;
}

void AudioEffect::setBlockSize(VstInt32 newBlockSize)
{
    blockSize = newBlockSize;
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value)
{
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::setProgram(VstInt32 program)
{
    if (program >= 0 && program < numPrograms)
        curProgram = program;
}

void AudioEffect::getProgramName(char* name)
{
    if (name)
        *name = 0;
}

void AudioEffect::getParameterLabel(VstInt32, char* label)
{
    if (label)
        *label = 0;
}

void AudioEffect::getParameterDisplay(VstInt32, char* text)
{
    if (text)
        *text = 0;
}

void AudioEffect::getParameterName(VstInt32, char* text)
{
    if (text)
        *text = 0;
}

void AudioEffect::canProcessReplacing(bool state)
{
    setFlag(effFlagsCanReplacing, state);
}

void AudioEffect::canDoubleReplacing(bool state)
{
    setFlag(effFlagsCanDoubleReplacing, state);
}

void AudioEffect::programsAreChunks(bool state)
{
    setFlag(effFlagsProgramChunks, state);
}

VstInt32 AudioEffect::getMasterVersion()
{
    const auto version = static_cast<VstInt32>(callHost(audioMasterVersion));
    // Hosts of the first interface version answer 0 here.
    return version != 0 ? version : 1;
}

VstInt32 AudioEffect::getCurrentUniqueId()
{
    return static_cast<VstInt32>(callHost(audioMasterCurrentId));
}

void AudioEffect::masterIdle()
{
    callHost(audioMasterIdle);
}

void AudioEffect::dB2string(float value, char* text, VstInt32 maxLen)
{
    qev::formatDecibels(value, text, maxLen);
}

void AudioEffect::Hz2string(float samples, char* text, VstInt32 maxLen)
{
    qev::formatHertz(samples, getSampleRate(), text, maxLen);
}

void AudioEffect::ms2string(float samples, char* text, VstInt32 maxLen)
{
    qev::formatMilliseconds(samples, getSampleRate(), text, maxLen);
}

void AudioEffect::float2string(float value, char* text, VstInt32 maxLen)
{
    qev::formatFloat(value, text, maxLen);
}

void AudioEffect::int2string(VstInt32 value, char* text, VstInt32 maxLen)
{
    qev::formatInt(value, text, maxLen);
}

void AudioEffect::hasVu(bool state)
{
    setFlag(effFlagsHasVu, state);
}

void AudioEffect::hasClip(bool state)
{
    setFlag(effFlagsHasClip, state);
}

void AudioEffect::canMono(bool state)
{
    setFlag(effFlagsCanMono, state);
}

// The host answers 0 for "connected", so no answer (or no host) means connected.
bool AudioEffect::isInputConnected(VstInt32 input)
{
    return callHost(audioMasterPinConnected, input, 0) == 0;
}

bool AudioEffect::isOutputConnected(VstInt32 output)
{
    return callHost(audioMasterPinConnected, output, 1) == 0;
}

void AudioEffect::setEditor(AEffEditor* newEditor)
{
    editor = newEditor;
    setFlag(effFlagsHasEditor, newEditor != nullptr);
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt)
{
    return audioMaster ? audioMaster(&cEffect, opcode, index, value, ptr, opt) : 0;
}

void AudioEffect::setFlag(VstInt32 flag, bool state)
{
    if (state)
        cEffect.flags |= flag;
    else
        cEffect.flags &= ~flag;
}
