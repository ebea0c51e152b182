// A host gone wrong: any sequence of opcodes with any index, value and opt, each pointer aimed
// at a buffer of the size the host interface gives that opcode and filled with fuzz bytes
// (texts without terminators among them), mixed with parameter changes and blocks of audio of
// any length, in place or not. Every text the plug-in writes is terminated within its buffer,
// every parameter reads back as written, and the audio stays finite and bounded.

#include "tests/fuzz/FuzzSupport.h"

#include "plugin/QevVst.h"

using namespace qev::fuzz;

namespace
{

// Room for any record the interface only passes on (the largest published one is smaller).
constexpr size_t kRecordBytes = 512;
// Parameter names: hosts give them more room than the 8 bytes of displays and labels.
constexpr size_t kParamNameBytes = 32;

// The buffers of one call, each exactly the size the opcode's argument has.
struct Arguments
{
    std::vector<char> text;
    std::vector<std::uint8_t> bytes;
    void* slot = nullptr;
    VstSpeakerArrangement arrangements[2]{};
    VstSpeakerArrangement* arrangementSlots[2]{};
    ERect* rect = nullptr;
};

// A buffer of `size` bytes prefilled with fuzz bytes: the plug-in must not rely on zeros.
char* textBuffer(FuzzedDataProvider& in, Arguments& a, size_t size, bool terminated)
{
    a.text = in.ConsumeBytes<char>(size);
    a.text.resize(size, 'x');
    if (terminated)
        a.text.back() = '\0';
    return a.text.data();
}

size_t outputTextSize(VstInt32 opcode)
{
    switch (opcode)
    {
    case effGetProgramName:
    case effGetProgramNameIndexed:
        return kVstMaxProgNameLen;
    case effGetParamLabel:
    case effGetParamDisplay:
        return kVstMaxParamStrLen;
    case effGetParamName:
        return kParamNameBytes;
    case effGetEffectName:
        return kVstMaxEffectNameLen;
    case effGetVendorString:
        return kVstMaxVendorStrLen;
    case effGetProductString:
        return kVstMaxProductStrLen;
    default:
        return 0;
    }
}

// Texts a plug-in writes whatever it answers, and texts written only with a "yes".
bool alwaysWritten(VstInt32 opcode)
{
    return opcode >= effGetProgramName && opcode <= effGetParamName;
}

void dispatch(AEffect* effect, QevVst& plugin, FuzzedDataProvider& in)
{
    // effClose goes to the object's dispatcher, which only closes; the record's would delete.
    const auto opcode = in.ConsumeIntegralInRange<VstInt32>(-1, 80);
    const VstInt32 index = indexFrom(in, -2, 25);
    VstIntPtr value = in.ConsumeBool() ? in.ConsumeIntegralInRange<VstIntPtr>(-2, 30000)
                                       : in.ConsumeIntegral<VstIntPtr>();
    const float opt = floatFromBits(in);
    Arguments a;
    void* ptr = nullptr;
    const bool withPointer = in.ConsumeBool() || in.remaining_bytes() == 0;
    const size_t textSize = outputTextSize(opcode);
    // Two opcodes take a second pointer in value: aimed at a record too, or null.
    if (opcode == effSetSpeakerArrangement)
        value = in.ConsumeBool() ? reinterpret_cast<VstIntPtr>(&a.arrangements[0]) : 0;
    if (opcode == effGetSpeakerArrangement)
        value = in.ConsumeBool() ? reinterpret_cast<VstIntPtr>(&a.arrangementSlots[0]) : 0;
    if (!withPointer)
        ptr = nullptr;
    else if (textSize > 0)
        ptr = textBuffer(in, a, textSize, false);
    else if (opcode == effSetProgramName)
        ptr = textBuffer(in, a, kVstMaxProgNameLen, false);
    else if (opcode == effCanDo || opcode == effString2Parameter)
        ptr = textBuffer(in, a, in.ConsumeIntegralInRange<size_t>(1, 64), true);
    else if (opcode == effGetChunk)
        ptr = &a.slot;
    else if (opcode == effSetChunk)
    {
        a.bytes = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<size_t>(0, 30000));
        a.bytes.shrink_to_fit();
        ptr = a.bytes.data();
        value = in.ConsumeIntegralInRange<VstIntPtr>(0, static_cast<VstIntPtr>(a.bytes.size()));
    }
    else if (opcode == effEditGetRect)
        ptr = &a.rect;
    else if (opcode == effEditOpen)
        ptr = nullptr; // no window to give; a probe
    else if (opcode == effSetSpeakerArrangement)
        ptr = &a.arrangements[1];
    else if (opcode == effGetSpeakerArrangement)
        ptr = &a.arrangementSlots[1];
    else
    {
        a.bytes = in.ConsumeBytes<std::uint8_t>(kRecordBytes);
        a.bytes.resize(kRecordBytes);
        ptr = a.bytes.data();
    }

    const VstIntPtr answer = opcode == effClose
                                 ? plugin.dispatcher(opcode, index, value, ptr, opt)
                                 : effect->dispatcher(effect, opcode, index, value, ptr, opt);
    if (ptr && textSize > 0 && (alwaysWritten(opcode) || answer != 0))
        checkTerminated("text answer", static_cast<char*>(ptr), textSize);
    if (opcode == effGetChunk && ptr && answer > 0)
    {
        std::vector<std::uint8_t> copy(static_cast<size_t>(answer));
        std::memcpy(copy.data(), a.slot, copy.size()); // the whole chunk must be readable
    }
    if (opcode == effGetCurrentMidiProgram && answer != -1)
        fail("current MIDI program", static_cast<double>(answer));
}

void setAndReadParameter(AEffect* effect, FuzzedDataProvider& in)
{
    const VstInt32 index = indexFrom(in, -2, 25);
    const float value = floatFromBits(in);
    effect->setParameter(effect, index, value);
    const float back = effect->getParameter(effect, index);
    const bool valid = index >= 0 && index < qev::kNumParams;
    if (valid ? std::memcmp(&back, &value, sizeof value) != 0 : back != 0.0f)
        fail("parameter read back", index);
}

void processBlock(AEffect* effect, FuzzedDataProvider& in)
{
    const int frames =
        in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 8192) : in.ConsumeIntegralInRange(-4, 64);
    const bool inPlace = in.ConsumeBool();
    StereoBlock block(frames > 0 ? frames : 0);
    block.fill(in);
    if (frames > 0)
        block.process(effect, inPlace);
    else
    {
        float* none[2] = {nullptr, nullptr};
        effect->processReplacing(effect, none, none, frames);
    }
}

void changeTime(FuzzedDataProvider& in)
{
    FuzzHost::giveTime = in.ConsumeBool();
    const auto bits = in.ConsumeIntegral<std::uint64_t>();
    std::memcpy(&FuzzHost::timeInfo.tempo, &bits, sizeof bits);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    FuzzHost::giveTime = false;
    FuzzHost::timeInfo = VstTimeInfo{};
    FuzzHost::timeInfo.tempo = 120.0;
    auto* owner = new QevVst(FuzzHost::callback); // effClose through the record deletes it
    QevVst& plugin = *owner;
    AEffect* effect = plugin.getAeffect();
    while (in.remaining_bytes() > 0)
    {
        switch (in.ConsumeIntegralInRange(0, 3))
        {
        case 0:
            dispatch(effect, plugin, in);
            break;
        case 1:
            setAndReadParameter(effect, in);
            break;
        case 2:
            processBlock(effect, in);
            break;
        default:
            changeTime(in);
            break;
        }
    }
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    return 0;
}
