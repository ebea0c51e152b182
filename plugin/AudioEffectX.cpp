#include "AudioEffectX.h"

#include "AEffEditor.h"
#include "VstStrings.h"

#include <cstdlib>
#include <cstring>

namespace
{

VstIntPtr answerOf(bool result)
{
    return result ? 1 : 0;
}

VstInt32 lowInt32(VstIntPtr value)
{
    return static_cast<VstInt32>(value);
}

// The key-code modifier byte: opt truncated toward zero, low byte. Values without an int32
// counterpart (not-a-number, out of range) would make the conversion undefined; they give 0.
unsigned char modifierByte(float opt)
{
    if (!(opt >= -2147483648.0f && opt < 2147483648.0f))
        return 0;
    return static_cast<unsigned char>(static_cast<VstInt32>(opt));
}

constexpr std::size_t kArrangementHeader = offsetof(VstSpeakerArrangement, speakers);

// Speakers are addressed by byte offset: an allocated arrangement holds exactly numChannels of
// them, which may be more or fewer than the 8 the record type declares.
VstSpeakerProperties* speakerAt(VstSpeakerArrangement* arrangement, VstInt32 i)
{
    auto* bytes = reinterpret_cast<unsigned char*>(arrangement);
    return reinterpret_cast<VstSpeakerProperties*>(
        bytes + kArrangementHeader + sizeof(VstSpeakerProperties) * static_cast<std::size_t>(i));
}

} // namespace

AudioEffectX::AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms,
                           VstInt32 numParams)
    : AudioEffect(audioMaster, numPrograms, numParams)
{
}

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt)
{
    auto* text = static_cast<char*>(ptr);
    switch (opcode)
    {
    case effProcessEvents:
        return processEvents(static_cast<VstEvents*>(ptr));
    case effCanBeAutomated:
        return answerOf(canParameterBeAutomated(index));
    case effString2Parameter:
        return text ? answerOf(string2parameter(index, text)) : 0;
    case effGetProgramNameIndexed:
        return text ? answerOf(getProgramNameIndexed(lowInt32(value), index, text)) : 0;
    case effGetInputProperties:
        return ptr ? answerOf(getInputProperties(index, static_cast<VstPinProperties*>(ptr))) : 0;
    case effGetOutputProperties:
        return ptr ? answerOf(getOutputProperties(index, static_cast<VstPinProperties*>(ptr))) : 0;
    case effGetPlugCategory:
        return getPlugCategory();
    case effOfflineNotify:
        return ptr ? answerOf(offlineNotify(static_cast<VstAudioFile*>(ptr), lowInt32(value),
                                            index != 0))
                   : 0;
    case effOfflinePrepare:
        return ptr ? answerOf(offlinePrepare(static_cast<VstOfflineTask*>(ptr), lowInt32(value)))
                   : 0;
    case effOfflineRun:
        return ptr ? answerOf(offlineRun(static_cast<VstOfflineTask*>(ptr), lowInt32(value))) : 0;
    case effProcessVarIo:
        return ptr ? answerOf(processVariableIo(static_cast<VstVariableIo*>(ptr))) : 0;
    case effSetSpeakerArrangement:
        if (!value || !ptr)
            return 0;
        return answerOf(setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                              static_cast<VstSpeakerArrangement*>(ptr)));
    case effSetBypass:
        return answerOf(setBypass(value != 0));
    case effGetEffectName:
        return text ? answerOf(getEffectName(text)) : 0;
    case effGetVendorString:
        return text ? answerOf(getVendorString(text)) : 0;
    case effGetProductString:
        return text ? answerOf(getProductString(text)) : 0;
    case effGetVendorVersion:
        return getVendorVersion();
    case effVendorSpecific:
        // The pointer's meaning is private to the vendor's protocol, so it is passed on as is.
        return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
        return canDo(text);
    case effGetTailSize:
        return getGetTailSize();
    case effGetParameterProperties:
        return ptr ? answerOf(
                         getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)))
                   : 0;
    case effGetVstVersion:
        return getVstVersion();
    case effEditKeyDown:
    case effEditKeyUp:
    case effSetEditKnobMode:
        return dispatchEditorKeys(opcode, index, value, opt);
    case effGetMidiProgramName:
        return ptr ? getMidiProgramName(index, static_cast<MidiProgramName*>(ptr)) : 0;
    case effGetCurrentMidiProgram:
        return getCurrentMidiProgram(index, static_cast<MidiProgramName*>(ptr));
    case effGetMidiProgramCategory:
        return ptr ? getMidiProgramCategory(index, static_cast<MidiProgramCategory*>(ptr)) : 0;
    case effHasMidiProgramsChanged:
        return answerOf(hasMidiProgramsChanged(index));
    case effGetMidiKeyName:
        return ptr ? answerOf(getMidiKeyName(index, static_cast<MidiKeyName*>(ptr))) : 0;
    case effBeginSetProgram:
        return answerOf(beginSetProgram());
    case effEndSetProgram:
        return answerOf(endSetProgram());
    case effGetSpeakerArrangement:
        return answerOf(getSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(value),
                                              static_cast<VstSpeakerArrangement**>(ptr)));
    case effShellGetNextPlugin:
        return text ? getNextShellPlugin(text) : 0;
    case effStartProcess:
        return startProcess();
    case effStopProcess:
        return stopProcess();
    case effSetTotalSampleToProcess:
        return setTotalSampleToProcess(lowInt32(value));
    case effSetPanLaw:
        return answerOf(setPanLaw(lowInt32(value), opt));
    case effBeginLoadBank:
        return ptr ? beginLoadBank(static_cast<VstPatchChunkInfo*>(ptr)) : 0;
    case effBeginLoadProgram:
        return ptr ? beginLoadProgram(static_cast<VstPatchChunkInfo*>(ptr)) : 0;
    case effSetProcessPrecision:
        return answerOf(setProcessPrecision(lowInt32(value)));
    case effGetNumMidiInputChannels:
        return getNumMidiInputChannels();
    case effGetNumMidiOutputChannels:
        return getNumMidiOutputChannels();
    case effGetNumProgramCategories:
    case effCopyProgram:
    case effConnectInput:
    case effConnectOutput:
    case effGetCurrentPosition:
    case effGetDestinationBuffer:
    case effSetBlockSizeAndSampleRate:
    case effGetErrorText:
    case effIdle:
    case effGetIcon:
    case effSetViewPosition:
    case effKeysRequired:
        return 0;
    default:
        // Opcodes 0 to 24 and anything unknown: the first level, called directly so that a
        // plug-in's own dispatcher cannot recurse through here.
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

VstIntPtr AudioEffectX::dispatchEditorKeys(VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                           float opt)
{
    if (!editor)
        return 0;
    if (opcode == effSetEditKnobMode)
        return answerOf(editor->setKnobMode(lowInt32(value)));
    VstKeyCode key{};
    key.character = index;
    key.virt = static_cast<unsigned char>(value);
    key.modifier = modifierByte(opt);
    return answerOf(opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key));
}

void AudioEffectX::resume()
{
    char midiEvents[] = "receiveVstMidiEvent";
    if ((cEffect.flags & effFlagsIsSynth) || canDo(midiEvents) == 1)
        wantEvents(1);
}

bool AudioEffectX::beginEdit(VstInt32 index)
{
    return callHost(audioMasterBeginEdit, index) != 0;
}

bool AudioEffectX::endEdit(VstInt32 index)
{
    return callHost(audioMasterEndEdit, index) != 0;
}

bool AudioEffectX::ioChanged()
{
    return callHost(audioMasterIOChanged) != 0;
}

double AudioEffectX::updateSampleRate()
{
    const VstIntPtr rate = callHost(audioMasterGetSampleRate);
    if (rate > 0)
        sampleRate = static_cast<float>(rate);
    return sampleRate;
}

VstInt32 AudioEffectX::updateBlockSize()
{
    const VstInt32 size = lowInt32(callHost(audioMasterGetBlockSize));
    if (size > 0)
        blockSize = size;
    return blockSize;
}

VstInt32 AudioEffectX::getInputLatency()
{
    return lowInt32(callHost(audioMasterGetInputLatency));
}

VstInt32 AudioEffectX::getOutputLatency()
{
    return lowInt32(callHost(audioMasterGetOutputLatency));
}

bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                                         VstSpeakerArrangement** pluginOutput)
{
    if (pluginInput)
        *pluginInput = nullptr;
    if (pluginOutput)
        *pluginOutput = nullptr;
    return false;
}

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter)
{
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}

VstInt32 AudioEffectX::getCurrentProcessLevel()
{
    return lowInt32(callHost(audioMasterGetCurrentProcessLevel));
}

VstInt32 AudioEffectX::getAutomationState()
{
    return lowInt32(callHost(audioMasterGetAutomationState));
}

bool AudioEffectX::getHostVendorString(char* text)
{
    return callHost(audioMasterGetVendorString, 0, 0, text) != 0;
}

bool AudioEffectX::getHostProductString(char* text)
{
    return callHost(audioMasterGetProductString, 0, 0, text) != 0;
}

VstInt32 AudioEffectX::getHostVendorVersion()
{
    return lowInt32(callHost(audioMasterGetVendorVersion));
}

VstIntPtr AudioEffectX::hostVendorSpecific(VstInt32 arg1, VstIntPtr arg2, void* ptrArg,
                                           float floatArg)
{
    return callHost(audioMasterVendorSpecific, arg1, arg2, ptrArg, floatArg);
}

VstInt32 AudioEffectX::canHostDo(char* text)
{
    return callHost(audioMasterCanDo, 0, 0, text) != 0 ? 1 : 0;
}

VstInt32 AudioEffectX::getHostLanguage()
{
    return lowInt32(callHost(audioMasterGetLanguage));
}

void AudioEffectX::isSynth(bool state)
{
    setFlag(effFlagsIsSynth, state);
}

void AudioEffectX::noTail(bool state)
{
    setFlag(effFlagsNoSoundInStop, state);
}

void* AudioEffectX::getDirectory()
{
    return reinterpret_cast<void*>(callHost(audioMasterGetDirectory));
}

VstInt32 AudioEffectX::getPlugCategory()
{
    return (cEffect.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}

bool AudioEffectX::updateDisplay()
{
    return callHost(audioMasterUpdateDisplay) != 0;
}

bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height)
{
    return callHost(audioMasterSizeWindow, width, height) != 0;
}

bool AudioEffectX::openFileSelector(VstFileSelect* fileSelect)
{
    return fileSelect && callHost(audioMasterOpenFileSelector, 0, 0, fileSelect) != 0;
}

bool AudioEffectX::closeFileSelector(VstFileSelect* fileSelect)
{
    return fileSelect && callHost(audioMasterCloseFileSelector, 0, 0, fileSelect) != 0;
}

bool AudioEffectX::allocateArrangement(VstSpeakerArrangement** arrangement, VstInt32 channels)
{
    if (!arrangement)
        return false;
    deallocateArrangement(arrangement);
    if (channels < 0)
        return false;
    const std::size_t bytes =
        kArrangementHeader + sizeof(VstSpeakerProperties) * static_cast<std::size_t>(channels);
    auto* allocated = static_cast<VstSpeakerArrangement*>(std::calloc(1, bytes));
    if (!allocated)
        return false;
    allocated->numChannels = channels;
    *arrangement = allocated;
    return true;
}

bool AudioEffectX::deallocateArrangement(VstSpeakerArrangement** arrangement)
{
    if (arrangement && *arrangement)
    {
        std::free(*arrangement);
        *arrangement = nullptr;
    }
    return true;
}

bool AudioEffectX::copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from)
{
    if (!to || !from)
        return false;
    vst_strncpy(to->name, from->name, sizeof to->name - 1);
    to->type = from->type;
    to->azimuth = from->azimuth;
    to->elevation = from->elevation;
    to->radius = from->radius;
    to->reserved = from->reserved;
    std::memcpy(to->future, from->future, sizeof to->future);
    return true;
}

bool AudioEffectX::matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from)
{
    if (!to || !from)
        return false;
    // Matching an arrangement to itself would free it before it is read.
    if (*to == from)
        return true;
    if (!allocateArrangement(to, from->numChannels))
        return false;
    (*to)->type = from->type;
    for (VstInt32 i = 0; i < from->numChannels; ++i)
    {
        if (!copySpeaker(speakerAt(*to, i), speakerAt(from, i)))
            return false;
    }
    return true;
}

bool AudioEffectX::offlineRead(VstOfflineTask* offline, VstInt32 option, bool readSource)
{
    return callHost(audioMasterOfflineRead, readSource ? 1 : 0, option, offline) != 0;
}

bool AudioEffectX::offlineWrite(VstOfflineTask* offline, VstInt32 option)
{
    return callHost(audioMasterOfflineWrite, 0, option, offline) != 0;
}

bool AudioEffectX::offlineStart(VstAudioFile* ptr, VstInt32 numAudioFiles,
                                VstInt32 numNewAudioFiles)
{
    return callHost(audioMasterOfflineStart, numNewAudioFiles, numAudioFiles, ptr) != 0;
}

VstInt32 AudioEffectX::offlineGetCurrentPass()
{
    return callHost(audioMasterOfflineGetCurrentPass) != 0 ? 1 : 0;
}

VstInt32 AudioEffectX::offlineGetCurrentMetaPass()
{
    return callHost(audioMasterOfflineGetCurrentMetaPass) != 0 ? 1 : 0;
}

void AudioEffectX::wantEvents(VstInt32 filter)
{
    callHost(audioMasterWantMidi, 0, filter);
}

VstInt32 AudioEffectX::tempoAt(VstInt32 pos)
{
    return lowInt32(callHost(audioMasterTempoAt, 0, pos));
}

VstInt32 AudioEffectX::getNumAutomatableParameters()
{
    return lowInt32(callHost(audioMasterGetNumAutomatableParameters));
}

VstInt32 AudioEffectX::getParameterQuantization()
{
    return lowInt32(callHost(audioMasterGetParameterQuantization));
}

bool AudioEffectX::needIdle()
{
    return callHost(audioMasterNeedIdle) != 0;
}

AEffect* AudioEffectX::getPreviousPlug(VstInt32)
{
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetPreviousPlug));
}

AEffect* AudioEffectX::getNextPlug(VstInt32)
{
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetNextPlug));
}

VstInt32 AudioEffectX::willProcessReplacing()
{
    return lowInt32(callHost(audioMasterWillReplaceOrAccumulate));
}

void AudioEffectX::wantAsyncOperation(bool state)
{
    setFlag(effFlagsExtIsAsync, state);
}

void AudioEffectX::hasExternalBuffer(bool state)
{
    setFlag(effFlagsExtHasBuffer, state);
}

void AudioEffectX::setOutputSamplerate(float samplerate)
{
    callHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, samplerate);
}

VstSpeakerArrangement* AudioEffectX::getInputSpeakerArrangement()
{
    return reinterpret_cast<VstSpeakerArrangement*>(
        callHost(audioMasterGetInputSpeakerArrangement));
}

VstSpeakerArrangement* AudioEffectX::getOutputSpeakerArrangement()
{
    return reinterpret_cast<VstSpeakerArrangement*>(
        callHost(audioMasterGetOutputSpeakerArrangement));
}

void* AudioEffectX::openWindow(VstWindow* window)
{
    return reinterpret_cast<void*>(callHost(audioMasterOpenWindow, 0, 0, window));
}

bool AudioEffectX::closeWindow(VstWindow* window)
{
    return callHost(audioMasterCloseWindow, 0, 0, window) != 0;
}

void AudioEffectX::setBlockSizeAndSampleRate(VstInt32 newBlockSize, float newSampleRate)
{
    blockSize = newBlockSize;
    sampleRate = newSampleRate;
}

bool AudioEffectX::getChunkFile(void* nativePath)
{
    return nativePath && callHost(audioMasterGetChunkFile, 0, 0, nativePath) != 0;
}
