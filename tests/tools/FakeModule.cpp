// Stand-in plug-in modules for the host's tests, one per FAKE_* definition:
//   FAKE_NO_ENTRY     exports neither entry name
//   FAKE_NULL_RECORD  its entry answers null
//   FAKE_BAD_MAGIC    its record has the wrong magic number
//   FAKE_MONO         a valid effect with one input and one output
//   FAKE_PROBE        a valid stereo effect without chunks, exported only as "main", that
//                     reports what the host answers through its output samples
//
// The probe has two parameters, "mode" and "gain", and two programs. Per block it writes:
//   mode 0: input * gain (a plain effect, for the parameter-list preset tests)
//   mode 1: left = sample position, right = quarter-note position
//   mode 2: left = tempo, right = the time-info flags
//   mode 3: left = the time info's sample rate, right = the host's version answer
//   mode 4: left = 1 when the host calls itself "QEV" / "qev-render", right = the sum of the
//           magnitudes of the answers to requests a host may ignore (should be 0)
//   mode 5: input * 1, and from the second block on raises the signal numbered by "gain", as a
//           crashing plug-in or a signal arriving mid-render would

#include "plugin/VstInterface.h"

#include <cmath>
#include <csignal>
#include <cstring>
#include <initializer_list>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace
{

AEffect record{};
audioMasterCallback host = nullptr;
float params[2] = {0.0f, 1.0f};
float programValues[2][2] = {{0.0f, 1.0f}, {0.0f, 0.5f}};
char programNames[2][24] = {"first", "second"};
int currentProgram = 0;
long blocksProcessed = 0;

VstIntPtr ask(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr)
{
    return host(&record, opcode, index, value, ptr, 0.0f);
}

float probe(int mode, int channel)
{
    const auto* time = reinterpret_cast<const VstTimeInfo*>(ask(audioMasterGetTime, 0, 0xFFFF));
    if (mode >= 1 && mode <= 3 && !time)
        return -1.0f;
    switch (mode)
    {
    case 1:
        return static_cast<float>(channel == 0 ? time->samplePos : time->ppqPos);
    case 2:
        return channel == 0 ? static_cast<float>(time->tempo) : static_cast<float>(time->flags);
    case 3:
        return channel == 0 ? static_cast<float>(time->sampleRate)
                            : static_cast<float>(ask(audioMasterVersion));
    case 4:
    {
        if (channel == 0)
        {
            char vendor[256] = {};
            char product[256] = {};
            ask(audioMasterGetVendorString, 0, 0, vendor);
            ask(audioMasterGetProductString, 0, 0, product);
            return std::strcmp(vendor, "QEV") == 0 && std::strcmp(product, "qev-render") == 0
                       ? 1.0f
                       : 0.0f;
        }
        double sum = 0.0;
        for (VstInt32 opcode : {audioMasterAutomate, audioMasterBeginEdit, audioMasterEndEdit,
                                audioMasterIdle, audioMasterCurrentId, audioMasterGetSampleRate,
                                audioMasterGetDirectory, audioMasterCanDo})
            sum += std::fabs(static_cast<double>(ask(opcode, 0, 0, const_cast<char*>("x"))));
        return static_cast<float>(sum);
    }
    default:
        return 0.0f;
    }
}

void VSTCALLBACK processReplacing(AEffect*, float** inputs, float** outputs, VstInt32 frames)
{
    const int mode = static_cast<int>(params[0]);
    if (mode == 5)
    {
        for (int channel = 0; channel < 2; ++channel)
            std::memcpy(outputs[channel], inputs[channel], sizeof(float) * std::size_t(frames));
        if (++blocksProcessed >= 2)
            std::raise(static_cast<int>(params[1]));
        return;
    }
    for (int channel = 0; channel < 2; ++channel)
    {
        const float report = mode == 0 ? 0.0f : probe(mode, channel);
        for (VstInt32 n = 0; n < frames; ++n)
            outputs[channel][n] = mode == 0 ? inputs[channel][n] * params[1] : report;
    }
}

void VSTCALLBACK setParameter(AEffect*, VstInt32 index, float value)
{
    if (index >= 0 && index < 2)
        params[index] = programValues[currentProgram][index] = value;
}

float VSTCALLBACK getParameter(AEffect*, VstInt32 index)
{
    return index >= 0 && index < 2 ? params[index] : 0.0f;
}

VstIntPtr VSTCALLBACK dispatcher(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                 void* ptr, float)
{
    switch (opcode)
    {
    case effSetProgram:
        if (value >= 0 && value < 2)
        {
            currentProgram = static_cast<int>(value);
            params[0] = programValues[currentProgram][0];
            params[1] = programValues[currentProgram][1];
        }
        return 0;
    case effGetProgram:
        return currentProgram;
    case effSetProgramName:
        std::strncpy(programNames[currentProgram], static_cast<char*>(ptr), 23);
        return 0;
    case effGetProgramName:
        std::strcpy(static_cast<char*>(ptr), programNames[currentProgram]);
        return 0;
    case effGetProgramNameIndexed:
        if (index < 0 || index >= 2)
            return 0;
        std::strcpy(static_cast<char*>(ptr), programNames[index]);
        return 1;
    case effGetParamName:
        std::strcpy(static_cast<char*>(ptr), index == 0 ? "mode" : "gain");
        return 0;
    default:
        return 0;
    }
}

AEffect* makeRecord(audioMasterCallback callback, VstInt32 inputs, VstInt32 outputs)
{
    host = callback;
    if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) != 2400)
        return nullptr;
    record.magic = kEffectMagic;
    record.dispatcher = dispatcher;
    record.setParameter = setParameter;
    record.getParameter = getParameter;
    record.processReplacing = processReplacing;
    record.numPrograms = 2;
    record.numParams = 2;
    record.numInputs = inputs;
    record.numOutputs = outputs;
    record.flags = effFlagsCanReplacing;
    record.uniqueID = fourCC("Prb1");
    record.version = 3;
    return &record;
}

} // namespace

#if defined(FAKE_NO_ENTRY)
FAKE_EXPORT AEffect* createSomething(audioMasterCallback callback)
{
    return makeRecord(callback, 2, 2);
}
#elif defined(FAKE_NULL_RECORD)
FAKE_EXPORT AEffect* VSTPluginMain(audioMasterCallback callback)
{
    makeRecord(callback, 2, 2); // asks for the version like a real one, then gives up
    return nullptr;
}
#elif defined(FAKE_BAD_MAGIC)
FAKE_EXPORT AEffect* VSTPluginMain(audioMasterCallback callback)
{
    AEffect* effect = makeRecord(callback, 2, 2);
    effect->magic = fourCC("Nope");
    return effect;
}
#elif defined(FAKE_MONO)
FAKE_EXPORT AEffect* VSTPluginMain(audioMasterCallback callback)
{
    return makeRecord(callback, 1, 1);
}
#elif defined(FAKE_PROBE)
FAKE_EXPORT AEffect* probeEntry(audioMasterCallback callback) __asm__("main");
AEffect* probeEntry(audioMasterCallback callback)
{
    return makeRecord(callback, 2, 2);
}
#else
#error "define one FAKE_* kind"
#endif
