#include "tests/plugin/RenderCases.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

namespace qev::test
{
namespace
{

// xorshift32: the same sequence on every system, unlike the standard distributions.
class Generator
{
public:
    explicit Generator(uint32_t seed) : state(seed ? seed : 1u) {}
    uint32_t next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    // [-1, 1) in steps of 2^-23, exact in a float.
    float bipolar() { return static_cast<float>(static_cast<int32_t>(next()) >> 8) * 0x1p-23f; }
    float unit() { return static_cast<float>(next() >> 8) * 0x1p-24f; }
    uint32_t below(uint32_t n) { return next() % n; }

private:
    uint32_t state;
};

const double kTempos[] = {120.0, 93.5, 174.0, 0.0, 60.0};
// The engine's tables are exact from 8 kHz to 384 kHz: both ends are rendered.
const float kRates[] = {44100.0f, 48000.0f, 96000.0f, 22050.0f, 192000.0f, 8000.0f, 384000.0f};
const BlockPattern kPatterns[] = {BlockPattern::Fixed512, BlockPattern::Irregular,
                                  BlockPattern::Single};
const int kIrregularBlocks[] = {1, 7, 64, 0, 333, 1024, 2, 511, 128, 3};

const char* patternName(BlockPattern pattern)
{
    switch (pattern)
    {
    case BlockPattern::Fixed512:
        return "blocks of 512";
    case BlockPattern::Irregular:
        return "irregular blocks";
    case BlockPattern::Single:
        return "single frames";
    }
    return "?";
}

std::string describe(const RenderCase& c)
{
    char tempo[32] = "no time info";
    if (c.tempo > 0.0)
        std::snprintf(tempo, sizeof tempo, "tempo %g", c.tempo);
    char text[200];
    int length =
        std::snprintf(text, sizeof text, "program %d, %g Hz, %s, sync %d, %s%s%s", c.program,
                      static_cast<double>(c.sampleRate), tempo, c.syncSpeed, patternName(c.pattern),
                      c.inPlace ? ", in place" : "", c.automate ? ", automated" : "");
    if (c.changedRate > 0.0f && length > 0 && static_cast<size_t>(length) < sizeof text)
        std::snprintf(text + length, sizeof text - length, ", then %g Hz",
                      static_cast<double>(c.changedRate));
    return text;
}

std::vector<RenderCase> makeCases()
{
    std::vector<RenderCase> cases;
    auto add = [&](RenderCase c)
    {
        c.name = describe(c);
        cases.push_back(c);
    };
    // Every program of the bank, each with another rate, tempo, block pattern and buffer layout.
    for (int program = 0; program < 20; ++program)
    {
        RenderCase c;
        c.program = program;
        c.sampleRate = kRates[program % 7];
        c.tempo = kTempos[(program + program / 5) % 5];
        c.pattern = kPatterns[program % 3];
        c.inPlace = program % 2 == 1;
        c.frames = c.pattern == BlockPattern::Single ? 8192 : 24000;
        add(c);
    }
    // Every synced rate, a second long so that the LFO turns several times.
    for (int sync = 1; sync <= 12; ++sync)
    {
        RenderCase c;
        c.program = sync % 12;
        c.syncSpeed = sync;
        c.tempo = kTempos[sync % 5];
        c.sampleRate = kRates[sync % 3];
        c.pattern = BlockPattern::Irregular;
        c.inPlace = sync % 2 == 0;
        c.frames = static_cast<int>(c.sampleRate);
        add(c);
    }
    // A host moving every parameter, hostile values included, and one changing the rate.
    for (int i = 0; i < 4; ++i)
    {
        RenderCase c;
        c.program = 3 * i;
        c.sampleRate = kRates[i];
        c.tempo = kTempos[i + 1];
        c.pattern = i == 3 ? BlockPattern::Fixed512 : BlockPattern::Irregular;
        c.inPlace = i % 2 == 0;
        c.automate = true;
        c.frames = 96000;
        add(c);
    }
    RenderCase changed;
    changed.program = 5;
    changed.sampleRate = 44100.0f;
    changed.changedRate = 96000.0f;
    changed.tempo = 140.0;
    changed.syncSpeed = 7;
    changed.frames = 48000;
    add(changed);
    return cases;
}

// Noise with a sawtooth, silence (the denormal guards' work), an overloaded stretch and very
// quiet noise, a quarter of the render each.
void fillInput(std::vector<float>& left, std::vector<float>& right, uint32_t seed)
{
    Generator rng(seed);
    const size_t frames = left.size();
    for (size_t n = 0; n < frames; ++n)
    {
        const size_t quarter = 4 * n / frames;
        const float saw = static_cast<float>(static_cast<int>(n % 200) - 100) * 0.01f;
        const float a = rng.bipolar();
        const float b = rng.bipolar();
        switch (quarter)
        {
        case 0:
            left[n] = 0.5f * a + 0.25f * saw;
            right[n] = 0.5f * b - 0.25f * saw;
            break;
        case 1:
            left[n] = right[n] = 0.0f;
            break;
        case 2:
            left[n] = 4.0f * a;
            right[n] = 4.0f * saw;
            break;
        default:
            left[n] = 1e-3f * a;
            right[n] = 1e-3f * b;
            break;
        }
    }
}

void automateOneParameter(AEffect* effect, Generator& rng)
{
    const float hostile[] = {std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::infinity(), -1.0f, 1e30f, 13.0f};
    const int index = 1 + static_cast<int>(rng.below(9));
    float value;
    if (rng.below(16) == 0)
        value = hostile[rng.below(5)];
    else if (index == 2)
        value = static_cast<float>(rng.below(13));
    else if (index == 6)
        value = static_cast<float>(rng.below(3));
    else
        value = rng.unit();
    effect->setParameter(effect, index, value);
}

int blockLength(BlockPattern pattern, size_t block)
{
    switch (pattern)
    {
    case BlockPattern::Single:
        return 1;
    case BlockPattern::Irregular:
        return kIrregularBlocks[block % (sizeof kIrregularBlocks / sizeof kIrregularBlocks[0])];
    default:
        return 512;
    }
}

// The host side of a render: version 2400, and the case's tempo when time is asked for.
VstTimeInfo hostTime{};
bool hostGivesTime = false;

VstIntPtr VSTCALLBACK hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    if (opcode == audioMasterVersion)
        return 2400;
    if (opcode == audioMasterGetTime && hostGivesTime)
        return reinterpret_cast<VstIntPtr>(&hostTime);
    return 0;
}

void writeLittleEndian32(std::FILE* file, uint32_t value)
{
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
        static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    std::fwrite(bytes, 1, 4, file);
}

uint32_t readLittleEndian32(const unsigned char* bytes)
{
    return bytes[0] | (uint32_t{bytes[1]} << 8) | (uint32_t{bytes[2]} << 16) |
           (uint32_t{bytes[3]} << 24);
}

} // namespace

const std::vector<RenderCase>& renderCases()
{
    static const std::vector<RenderCase> cases = makeCases();
    return cases;
}

size_t renderedFloatCount()
{
    size_t count = 0;
    for (const RenderCase& c : renderCases())
        count += 2 * static_cast<size_t>(c.frames);
    return count;
}

std::vector<float> renderCase(PluginEntry entry, const RenderCase& c)
{
    hostGivesTime = c.tempo > 0.0;
    hostTime = VstTimeInfo{};
    hostTime.tempo = c.tempo;
    hostTime.sampleRate = c.sampleRate;
    hostTime.flags = kVstTempoValid | kVstTransportPlaying;

    AEffect* effect = entry ? entry(&hostCallback) : nullptr;
    if (!effect)
        return {};
    const auto dispatch = [effect](VstInt32 opcode, VstIntPtr value = 0, float opt = 0.0f)
    { return effect->dispatcher(effect, opcode, 0, value, nullptr, opt); };
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, c.sampleRate);
    dispatch(effSetBlockSize, 1024);
    dispatch(effSetProgram, c.program);
    if (c.syncSpeed >= 0)
        effect->setParameter(effect, 2, static_cast<float>(c.syncSpeed));
    dispatch(effMainsChanged, 1);

    const size_t frames = static_cast<size_t>(c.frames);
    std::vector<float> left(frames), right(frames), outLeft(frames), outRight(frames);
    fillInput(left, right, 0x9E3779B9u ^ static_cast<uint32_t>(c.program * 7919 + c.frames));
    Generator automation(static_cast<uint32_t>(c.program + 1) * 2654435761u);

    size_t start = 0;
    bool rateChanged = false;
    for (size_t block = 0; start < frames; ++block)
    {
        if (c.changedRate > 0.0f && !rateChanged && start >= frames / 2)
        {
            dispatch(effMainsChanged, 0);
            dispatch(effSetSampleRate, 0, c.changedRate);
            dispatch(effMainsChanged, 1);
            rateChanged = true;
        }
        if (c.automate)
            automateOneParameter(effect, automation);
        const size_t n =
            std::min(static_cast<size_t>(blockLength(c.pattern, block)), frames - start);
        float* inputs[2] = {left.data() + start, right.data() + start};
        float* outputs[2] = {outLeft.data() + start, outRight.data() + start};
        effect->processReplacing(effect, inputs, c.inPlace ? inputs : outputs,
                                 static_cast<VstInt32>(n));
        start += n;
    }
    dispatch(effMainsChanged, 0);
    dispatch(effClose);

    const std::vector<float>& resultLeft = c.inPlace ? left : outLeft;
    const std::vector<float>& resultRight = c.inPlace ? right : outRight;
    std::vector<float> interleaved(2 * frames);
    for (size_t i = 0; i < frames; ++i)
    {
        interleaved[2 * i] = resultLeft[i];
        interleaved[2 * i + 1] = resultRight[i];
    }
    return interleaved;
}

bool writeRenders(const std::string& path, PluginEntry entry)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    writeLittleEndian32(file, 0x52564551u); // "QEVR"
    writeLittleEndian32(file, static_cast<uint32_t>(renderCases().size()));
    writeLittleEndian32(file, static_cast<uint32_t>(renderedFloatCount()));
    bool ok = true;
    for (const RenderCase& c : renderCases())
    {
        const std::vector<float> output = renderCase(entry, c);
        ok = ok && output.size() == 2 * static_cast<size_t>(c.frames) &&
             std::fwrite(output.data(), sizeof(float), output.size(), file) == output.size();
    }
    return std::fclose(file) == 0 && ok;
}

std::vector<float> readRenders(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return {};
    unsigned char header[12];
    std::vector<float> floats;
    if (std::fread(header, 1, sizeof header, file) == sizeof header &&
        readLittleEndian32(header) == 0x52564551u &&
        readLittleEndian32(header + 4) == renderCases().size() &&
        readLittleEndian32(header + 8) == renderedFloatCount())
    {
        floats.resize(renderedFloatCount());
        if (std::fread(floats.data(), sizeof(float), floats.size(), file) != floats.size())
            floats.clear();
    }
    std::fclose(file);
    return floats;
}

} // namespace qev::test
