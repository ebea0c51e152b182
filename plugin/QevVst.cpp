#include "plugin/QevVst.h"

#include "editor/QevVstEditor.h"
#include "plugin/ParameterText.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

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
    {
        std::lock_guard<qev::SpinLock> lock(bankLock);
        loadCurrentProgram(); // program 0, current from the start
    }
    setNumInputs(2);
    setNumOutputs(2);
    canProcessReplacing(true);
    resume();
}

QevVst::~QevVst() = default;

void QevVst::suspend()
{
    nextEngine.collect();
}

void QevVst::resume()
{
    nextEngine.collect();
    AudioEffectX::resume();
}

void QevVst::setSampleRate(float rate)
{
    if (!qev::StereoPhaser::acceptsSampleRate(rate))
        return;
    std::lock_guard<qev::SpinLock> lock(bankLock);
    try
    {
        nextEngine.offer(std::make_unique<qev::StereoPhaser>(rate, params));
    }
    catch (const std::bad_alloc&) // no memory for the new engine: the old one plays on
    {
        return;
    }
    AudioEffectX::setSampleRate(rate);
}

void QevVst::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    // A new engine from setSampleRate: its channel phasers and sync table replace the old
    // ones, the DC filters carry on with their state.
    nextEngine.take(engine,
                    [](qev::StereoPhaser& old, qev::StereoPhaser& next)
                    {
                        std::swap(old.leftDc, next.leftDc);
                        std::swap(old.rightDc, next.rightDc);
                    });
    timeInfo = getTimeInfo(kVstPpqPosValid | kVstTempoValid);
    if (sampleFrames < 1 || !inputs || !outputs || !inputs[0] || !inputs[1] || !outputs[0] ||
        !outputs[1])
        return;
    const float tempo = timeInfo ? static_cast<float>(timeInfo->tempo) : kDefaultTempo;
    engine->process(inputs[0], inputs[1], outputs[0], outputs[1], sampleFrames, tempo);
}

// The current program's values live in params; its record catches up when the program is
// left or a chunk is taken.
void QevVst::setParameter(VstInt32 index, float value)
{
    params.set(index, value);
    if (guiEditor)
        guiEditor->setParameter(index, value);
}

float QevVst::getParameter(VstInt32 index)
{
    return params.get(index);
}

VstInt32 QevVst::getProgram()
{
    return programNumber.load(std::memory_order_relaxed);
}

void QevVst::setProgram(VstInt32 program)
{
    if (!isProgramIndex(program))
        return;
    std::lock_guard<qev::SpinLock> lock(bankLock);
    makeCurrent(program);
}

void QevVst::makeCurrent(VstInt32 program)
{
    if (program == curProgram)
    {
        storeCurrentProgram(currentProgram());
        return;
    }
    // Each exchange orders a concurrent setParameter: before it, the value is the leaving
    // program's; after it, the entering one's.
    qev::ProgramRecord& leaving = currentProgram();
    const qev::ProgramRecord& entering = programs[program];
    for (int i = 0; i < qev::kNumParams; ++i)
        leaving.values[i] = params.exchange(i, entering.values[i]);
    curProgram = program;
    programNumber.store(program, std::memory_order_relaxed);
    showValuesInEditor();
}

void QevVst::loadCurrentProgram()
{
    for (int i = 0; i < qev::kNumParams; ++i)
        params.set(i, currentProgram().values[i]);
    showValuesInEditor();
}

// The editor hears of values that change without setParameter: program switches and chunks.
void QevVst::showValuesInEditor()
{
    if (!guiEditor)
        return;
    for (int i = 0; i < qev::kNumParams; ++i)
        guiEditor->setParameter(i, params.get(i));
}

void QevVst::storeCurrentProgram(qev::ProgramRecord& record)
{
    for (int i = 0; i < qev::kNumParams; ++i)
        record.values[i] = params.get(i);
}

void QevVst::setProgramName(char* name)
{
    if (!name)
        return;
    std::lock_guard<qev::SpinLock> lock(bankLock);
    char* field = currentProgram().name;
    std::strncpy(field, name, qev::ProgramRecord::kNameSize - 1);
    field[qev::ProgramRecord::kNameSize - 1] = '\0';
}

void QevVst::getProgramName(char* name)
{
    if (!name)
        return;
    std::lock_guard<qev::SpinLock> lock(bankLock);
    const qev::ProgramRecord& record = currentProgram();
    if (std::strcmp(record.name, "Init") == 0)
        std::snprintf(name, qev::ProgramRecord::kNameSize, "Init %d", curProgram + 1);
    else
        copyName(name, record.name);
}

// Hosts show whatever is in the buffer, or read on looking for its end: always write a text.
// The values carry no unit.
void QevVst::getParameterLabel(VstInt32, char* label)
{
    if (label)
        *label = '\0';
}

void QevVst::getParameterDisplay(VstInt32 index, char* text)
{
    if (!text)
        return;
    if (qev::EngineParams::isValid(index))
        qev::formatParameterValue(index, params.get(index), text);
    else
        *text = '\0';
}

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
    std::lock_guard<qev::SpinLock> lock(bankLock);
    if (isPreset)
    {
        chunkPrograms[curProgram] = programs[curProgram];
        storeCurrentProgram(chunkPrograms[curProgram]);
        *data = &chunkPrograms[curProgram];
        return qev::kPresetChunkBytes;
    }
    std::memcpy(chunkPrograms.get(), programs.get(), qev::kBankChunkBytes);
    storeCurrentProgram(chunkPrograms[curProgram]);
    *data = chunkPrograms.get();
    return qev::kBankChunkBytes;
}

VstInt32 QevVst::setChunk(void* data, VstInt32 byteSize, bool isPreset)
{
    const VstInt32 needed = isPreset ? qev::kPresetChunkBytes : qev::kBankChunkBytes;
    if (!data || byteSize < needed)
        return 0;
    std::lock_guard<qev::SpinLock> lock(bankLock);
    void* target = isPreset ? static_cast<void*>(&currentProgram()) : programs.get();
    std::memcpy(target, data, static_cast<size_t>(needed));
    loadCurrentProgram();
    return 1;
}

bool QevVst::getProgramNameIndexed(VstInt32, VstInt32 index, char* text)
{
    if (!text || !isProgramIndex(index))
        return false;
    std::lock_guard<qev::SpinLock> lock(bankLock);
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
