#include "plugin/QevVst.h"

#include "editor/QevVstEditor.h"

#include <cstdio>
#include <cstring>

namespace
{

constexpr int kNumPrograms = qev::kNumPrograms;
constexpr const char* kEffectName = "QEV Phaser - QEV";
constexpr const char* kVendorName = "QEV - Bramblecot";
constexpr VstInt32 kVendorVersion = 1000;

// Host names of parameters 1..9; every other index is "Param".
const char* const kParameterNames[] = {"Param", "SPEED", "SYNC_SPEED", "LOFREQ", "HIFREQ",
                                       "PHASE", "TYPE",  "FEEDBACK",   "DRYWET", "VOLUME"};

bool isProgramIndex(VstInt32 index)
{
    return index >= 0 && index < kNumPrograms;
}

// Record names come from chunks and may lack their terminator: never copy more than the field.
void copyName(char* text, const char (&name)[qev::ProgramRecord::kNameSize])
{
    const size_t length = strnlen(name, qev::ProgramRecord::kNameSize - 1);
    std::memcpy(text, name, length);
    text[length] = '\0';
}

} // namespace

QevVst::QevVst(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, kNumPrograms, qev::kNumParams)
{
    // The base owns it from here (setEditor) and deletes it with the plug-in.
    guiEditor = new QevVstEditor(this);
    engine.reset(new qev::StereoPhaser(getSampleRate(), params));
    programsAreChunks(true);
    programs.reset(new qev::ProgramRecord[kNumPrograms]);
    chunkPrograms.reset(new qev::ProgramRecord[kNumPrograms]);
    for (int i = 0; i < kNumPrograms; ++i)
    {
        qev::resetToDefault(programs[i]);
        qev::resetToDefault(chunkPrograms[i]);
    }
    setUniqueID(kUniqueId);
    qev::writeFactoryBank(programs.get());
    setProgram(0);
    setNumInputs(2);
    setNumOutputs(2);
    canProcessReplacing(true);
    resume();
}

QevVst::~QevVst() = default;

void QevVst::resume()
{
    AudioEffectX::resume();
}

void QevVst::setSampleRate(float rate)
{
    if (!qev::StereoPhaser::acceptsSampleRate(rate))
        return;
    AudioEffectX::setSampleRate(rate);
    engine->rebuild(rate);
}

void QevVst::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    timeInfo = getTimeInfo(kVstPpqPosValid | kVstTempoValid);
    if (sampleFrames < 1 || !inputs || !outputs || !inputs[0] || !inputs[1] || !outputs[0] ||
        !outputs[1])
        return;
    const float tempo = timeInfo ? static_cast<float>(timeInfo->tempo) : kDefaultTempo;
    float* inLeft = inputs[0];
    float* inRight = inputs[1];
    float* outLeft = outputs[0];
    float* outRight = outputs[1];
    for (VstInt32 n = 0; n < sampleFrames; ++n)
    {
        float left = inLeft[n];
        float right = inRight[n];
        engine->step(left, right, tempo);
        outLeft[n] = left;
        outRight[n] = right;
    }
}

void QevVst::setParameter(VstInt32 index, float value)
{
    if (!qev::EngineParams::isValid(index))
        return;
    currentProgram().values[index] = value;
    params.set(index, value);
    if (guiEditor)
        guiEditor->setParameter(index, value);
}

float QevVst::getParameter(VstInt32 index)
{
    return params.get(index);
}

void QevVst::setProgram(VstInt32 program)
{
    if (!isProgramIndex(program))
        return;
    curProgram = program;
    for (int i = 0; i < qev::kNumParams; ++i)
        setParameter(i, programs[program].values[i]);
}

void QevVst::setProgramName(char* name)
{
    if (!name)
        return;
    char* field = currentProgram().name;
    std::strncpy(field, name, qev::ProgramRecord::kNameSize - 1);
    field[qev::ProgramRecord::kNameSize - 1] = '\0';
}

void QevVst::getProgramName(char* name)
{
    if (!name)
        return;
    const qev::ProgramRecord& record = currentProgram();
    if (std::strcmp(record.name, "Init") == 0)
        std::snprintf(name, qev::ProgramRecord::kNameSize, "Init %d", curProgram + 1);
    else
        copyName(name, record.name);
}

// The host's buffer is left as the host filled it.
void QevVst::getParameterLabel(VstInt32, char*) {}
void QevVst::getParameterDisplay(VstInt32, char*) {}

void QevVst::getParameterName(VstInt32 index, char* text)
{
    if (!text)
        return;
    const bool named = index >= qev::kParamSpeed && index <= qev::kParamVolume;
    std::strcpy(text, kParameterNames[named ? index : 0]);
}

VstInt32 QevVst::getChunk(void** data, bool isPreset)
{
    if (!data)
        return 0;
    if (isPreset)
    {
        chunkPrograms[curProgram] = programs[curProgram];
        *data = &chunkPrograms[curProgram];
        return qev::kPresetChunkBytes;
    }
    std::memcpy(chunkPrograms.get(), programs.get(), qev::kBankChunkBytes);
    *data = chunkPrograms.get();
    return qev::kBankChunkBytes;
}

VstInt32 QevVst::setChunk(void* data, VstInt32 byteSize, bool isPreset)
{
    const VstInt32 needed = isPreset ? qev::kPresetChunkBytes : qev::kBankChunkBytes;
    if (!data || byteSize < needed)
        return 0;
    void* target = isPreset ? static_cast<void*>(&currentProgram()) : programs.get();
    std::memcpy(target, data, static_cast<size_t>(needed));
    setProgram(curProgram);
    return 1;
}

bool QevVst::getProgramNameIndexed(VstInt32, VstInt32 index, char* text)
{
    if (!text || !isProgramIndex(index))
        return false;
    copyName(text, programs[index].name);
    return true;
}

VstInt32 QevVst::processEvents(VstEvents*)
{
    return 1;
}

bool QevVst::getEffectName(char* name)
{
    if (!name)
        return false;
    std::strcpy(name, kEffectName);
    return true;
}

bool QevVst::getVendorString(char* text)
{
    if (!text)
        return false;
    std::strcpy(text, kVendorName);
    return true;
}

bool QevVst::getProductString(char* text)
{
    if (!text)
        return false;
    std::strcpy(text, kEffectName);
    return true;
}

VstInt32 QevVst::getVendorVersion()
{
    return kVendorVersion;
}

VstInt32 QevVst::canDo(char* text)
{
    return text && std::strcmp(text, "receiveVstTimeInfo") == 0 ? 1 : -1;
}

VstInt32 QevVst::getPlugCategory()
{
    return kPlugCategEffect;
}
