// The plug-in as a host sees it: loaded from the built module, driven through its record.

#include "tests/plugin/ModuleHost.h"

#include "engine/FactorySettings.h"
#include "engine/StereoPhaser.h"
#include "plugin/ProgramRecord.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace
{

struct Stereo
{
    std::vector<float> left, right;
};

Stereo noise(int frames, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(-1.0f, 1.0f);
    Stereo s{std::vector<float>(frames), std::vector<float>(frames)};
    for (int i = 0; i < frames; ++i)
    {
        s.left[i] = d(rng);
        s.right[i] = d(rng);
    }
    return s;
}

// Processes the signal in blocks of the given size with separate output buffers.
Stereo process(AEffect* effect, const Stereo& in, int blockSize)
{
    Stereo out{std::vector<float>(in.left.size()), std::vector<float>(in.left.size())};
    const int frames = static_cast<int>(in.left.size());
    for (int start = 0; start < frames; start += blockSize)
    {
        const int n = std::min(blockSize, frames - start);
        float* inputs[2] = {const_cast<float*>(in.left.data()) + start,
                            const_cast<float*>(in.right.data()) + start};
        float* outputs[2] = {out.left.data() + start, out.right.data() + start};
        effect->processReplacing(effect, inputs, outputs, n);
    }
    return out;
}

class QevVstModule : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.loaded()) << host.loadError();
        ASSERT_NE(host.open(), nullptr);
        effect = host.effect;
    }
    std::vector<unsigned char> chunk(bool preset)
    {
        void* data = nullptr;
        const VstIntPtr size = host.dispatch(effGetChunk, preset ? 1 : 0, 0, &data);
        const auto* bytes = static_cast<const unsigned char*>(data);
        return std::vector<unsigned char>(bytes, bytes + size);
    }
    VstIntPtr loadChunk(std::vector<unsigned char> bytes, bool preset, VstIntPtr size = -1)
    {
        return host.dispatch(effSetChunk, preset ? 1 : 0,
                             size < 0 ? static_cast<VstIntPtr>(bytes.size()) : size, bytes.data());
    }

    ModuleHost host;
    AEffect* effect = nullptr;
};

TEST(QevVstEntry, HostAnsweringVersionZeroGetsNothing)
{
    ModuleHost host(HostAnswers{0});
    ASSERT_TRUE(host.loaded()) << host.loadError();
    EXPECT_EQ(host.open(), nullptr);
    EXPECT_EQ(host.requests, 1);
}

TEST_F(QevVstModule, IdentifiesItself)
{
    EXPECT_EQ(effect->magic, kEffectMagic);
    EXPECT_EQ(effect->uniqueID, 0x6D386730);
    EXPECT_EQ(effect->numPrograms, 20);
    EXPECT_EQ(effect->numParams, 23);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->flags, effFlagsHasEditor | effFlagsCanReplacing | effFlagsProgramChunks);
    char text[64] = {};
    EXPECT_EQ(host.dispatch(effGetEffectName, 0, 0, text), 1);
    EXPECT_STREQ(text, "QEV Phaser - QEV");
    EXPECT_EQ(host.dispatch(effGetVendorString, 0, 0, text), 1);
    EXPECT_STREQ(text, "QEV - Bramblecot");
    EXPECT_EQ(host.dispatch(effGetProductString, 0, 0, text), 1);
    EXPECT_STREQ(text, "QEV Phaser - QEV");
    EXPECT_EQ(host.dispatch(effGetVendorVersion), 1000);
    EXPECT_EQ(host.dispatch(effGetPlugCategory), 1);
    EXPECT_EQ(host.dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(host.dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstTimeInfo")), 1);
    EXPECT_EQ(host.dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstMidiEvent")), -1);
    EXPECT_EQ(host.dispatch(effCanDo, 0, 0, const_cast<char*>("")), -1);
    EXPECT_EQ(host.dispatch(effCanDo, 0, 0, const_cast<char*>("ReceiveVstTimeInfo")), -1);
    alignas(8) char events[64] = {}; // ignored, whatever it holds
    EXPECT_EQ(host.dispatch(effProcessEvents, 0, 0, events), 1);
}

TEST_F(QevVstModule, StartsOnGetAliveWithItsValues)
{
    EXPECT_EQ(host.dispatch(effGetProgram), 0);
    EXPECT_EQ(host.programName(), "Get Alive");
    const auto& values = qev::kFactorySettings[0].values;
    EXPECT_EQ(effect->getParameter(effect, 0), 0.0f);
    for (int i = 1; i <= 9; ++i)
        EXPECT_EQ(effect->getParameter(effect, i), values[i - 1]) << i;
    EXPECT_EQ(effect->getParameter(effect, 1), 0.360564351f);
    EXPECT_EQ(effect->getParameter(effect, 6), 2.0f);
}

TEST_F(QevVstModule, ParameterNames)
{
    const char* expected[] = {"Param", "SPEED",    "SYNC_SPEED", "LOFREQ", "HIFREQ", "PHASE",
                              "TYPE",  "FEEDBACK", "DRYWET",     "VOLUME", "Param"};
    for (int i = 0; i <= 10; ++i)
    {
        char text[64] = {};
        host.dispatch(effGetParamName, i, 0, text);
        EXPECT_STREQ(text, expected[i]) << i;
    }
    for (int i : {22, 23, -1, 1000})
    {
        char text[64] = {};
        host.dispatch(effGetParamName, i, 0, text);
        EXPECT_STREQ(text, "Param") << i;
    }
}

struct DisplayRow
{
    int index;
    float value;
    const char* text;
};

void PrintTo(const DisplayRow& row, std::ostream* os)
{
    *os << "index " << row.index << " value " << row.value;
}

class ParameterDisplay : public QevVstModule, public testing::WithParamInterface<DisplayRow>
{
protected:
    // The host's buffer, prepared with garbage: the plug-in writes a terminated text within
    // the interface's 8 bytes and nothing beyond.
    std::string query(VstInt32 opcode, int index)
    {
        char text[64];
        std::memset(text, 0x5A, sizeof text);
        host.dispatch(opcode, index, 0, text);
        const void* end = std::memchr(text, 0, kVstMaxParamStrLen);
        EXPECT_NE(end, nullptr) << "no terminator within " << kVstMaxParamStrLen << " bytes";
        for (size_t i = kVstMaxParamStrLen; i < sizeof text; ++i)
            EXPECT_EQ(text[i], 0x5A) << "written past the limit at " << i;
        return end ? std::string(text) : std::string();
    }
};

TEST_P(ParameterDisplay, ShowsTheValueAsTheEngineReadsItWithAnEmptyLabel)
{
    const DisplayRow& row = GetParam();
    effect->setParameter(effect, row.index, row.value);
    EXPECT_EQ(query(effGetParamDisplay, row.index), row.text);
    EXPECT_EQ(query(effGetParamLabel, row.index), "");
}

INSTANTIATE_TEST_SUITE_P(
    Values, ParameterDisplay,
    testing::Values(
        DisplayRow{2, 0.0f, "man"}, DisplayRow{2, 0.99f, "man"}, DisplayRow{2, -3.0f, "man"},
        DisplayRow{2, NAN, "man"}, DisplayRow{2, 1.0f, "1/16"}, DisplayRow{2, 3.7f, "1/4"},
        DisplayRow{2, 6.0f, "2/1"}, DisplayRow{2, 7.0f, "1/16T"}, DisplayRow{2, 11.99f, "1/1T"},
        DisplayRow{2, 12.0f, "2/1T"}, DisplayRow{2, 1e30f, "2/1T"}, DisplayRow{2, INFINITY, "2/1T"},
        DisplayRow{6, 0.0f, "2"}, DisplayRow{6, -1.0f, "2"}, DisplayRow{6, NAN, "2"},
        DisplayRow{6, 1e-45f, "4"}, DisplayRow{6, 1.0f, "4"}, DisplayRow{6, 1.99f, "4"},
        DisplayRow{6, 2.0f, "6"}, DisplayRow{6, 1e30f, "6"}, DisplayRow{1, 0.360564351f, "0.361"},
        DisplayRow{9, 1.0f, "1.000"}, DisplayRow{8, 0.0f, "0.000"}, DisplayRow{0, -0.5f, "-0.500"},
        DisplayRow{22, 999.9994f, "999.999"}, DisplayRow{7, -999.5f, "-999.5"},
        DisplayRow{3, 123456.0f, "1.2e+05"}, DisplayRow{4, 1e30f, "1e+30"},
        DisplayRow{5, -3.4e38f, "-3e+38"}, DisplayRow{10, NAN, "nan"},
        DisplayRow{11, INFINITY, "inf"}, DisplayRow{12, -INFINITY, "-inf"}));

// Answers that do not depend on the pointer stay the same when the host sends null.
TEST_F(QevVstModule, AnswersThatNeedNoPointerHoldForNull)
{
    MidiProgramName* none = nullptr;
    EXPECT_EQ(host.dispatch(effGetCurrentMidiProgram, 0, 0, none), VstIntPtr{-1});
    EXPECT_EQ(host.dispatch(effProcessEvents, 0, 0, nullptr), 1);
    EXPECT_EQ(host.dispatch(effCanDo, 0, 0, nullptr), -1);
}

TEST_F(QevVstModule, DisplaysOutsideTheParametersAreEmpty)
{
    for (int index : {-1, 23, 1000})
    {
        char text[16] = "untouched";
        host.dispatch(effGetParamDisplay, index, 0, text);
        EXPECT_STREQ(text, "") << index;
    }
}

// The menu text names what the engine plays: a value renders exactly as the menu entry
// its display names.
TEST(QevVstMenus, DisplayedEntryRendersLikeTheValue)
{
    const Stereo in = noise(4096, 12);
    const std::pair<int, std::vector<float>> cases[] = {
        {2, {0.5f, -2.0f, NAN, 1.5f, 3.99f, 12.5f, 1e30f, INFINITY}},
        {6, {0.25f, -1.0f, NAN, 1.75f, 2.5f, 1e30f}}};
    const char* const syncMenu[] = {"man",   "1/16", "1/8",  "1/4",  "1/2",  "1/1", "2/1",
                                    "1/16T", "1/8T", "1/4T", "1/2T", "1/1T", "2/1T"};
    for (const auto& [index, values] : cases)
    {
        for (float value : values)
        {
            const auto render = [&](float v)
            {
                ModuleHost host;
                host.open();
                host.effect->setParameter(host.effect, index, v);
                return process(host.effect, in, 512).left;
            };
            std::vector<float> playing;
            char text[16] = {};
            {
                ModuleHost host;
                host.open();
                host.effect->setParameter(host.effect, index, value);
                host.dispatch(effGetParamDisplay, index, 0, text);
                playing = process(host.effect, in, 512).left;
            }
            int entry = 0;
            if (index == 2)
                while (std::strcmp(syncMenu[entry], text) != 0)
                    ++entry;
            else
                entry = (text[0] - '2') / 2;
            EXPECT_EQ(render(static_cast<float>(entry)), playing)
                << "index " << index << " value " << value << " shows " << text;
        }
    }
}

TEST_F(QevVstModule, ParametersAreStoredUnchangedInTheCurrentProgram)
{
    effect->setParameter(effect, 6, 2.0f);
    EXPECT_EQ(effect->getParameter(effect, 6), 2.0f);
    effect->setParameter(effect, 15, -7.5f);
    EXPECT_EQ(effect->getParameter(effect, 15), -7.5f);
    const std::vector<unsigned char> preset = chunk(true);
    float stored;
    std::memcpy(&stored, preset.data() + 24 + 4 * 15, 4);
    EXPECT_EQ(stored, -7.5f);
    effect->setParameter(effect, 23, 0.5f);
    effect->setParameter(effect, -1, 0.5f);
    EXPECT_EQ(effect->getParameter(effect, 23), 0.0f);
    EXPECT_EQ(effect->getParameter(effect, -1), 0.0f);
    EXPECT_EQ(chunk(true), preset);
}

TEST_F(QevVstModule, NewBankChunkIsTheFactoryBank)
{
    std::vector<qev::ProgramRecord> factory(qev::kNumPrograms);
    qev::writeFactoryBank(factory.data());
    const std::vector<unsigned char> bank = chunk(false);
    ASSERT_EQ(bank.size(), 22720u);
    EXPECT_EQ(std::memcmp(bank.data(), factory.data(), 22720), 0);
    EXPECT_EQ(chunk(true).size(), 1136u);
}

TEST_F(QevVstModule, ProgramNames)
{
    char text[64] = {};
    EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, 19, 0, text), 1);
    EXPECT_STREQ(text, "default");
    std::strcpy(text, "keep");
    EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, 20, 0, text), 0);
    EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, -1, 0, text), 0);
    EXPECT_STREQ(text, "keep");
    EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, 0, 0, text), 1);
    EXPECT_STREQ(text, "Get Alive"); // the stray bytes after the terminator stay hidden

    host.dispatch(effSetProgram, 0, 2);
    host.dispatch(effSetProgramName, 0, 0, const_cast<char*>("Init"));
    EXPECT_EQ(host.programName(), "Init 3");
    host.dispatch(effGetProgramNameIndexed, 2, 0, text);
    EXPECT_STREQ(text, "Init");
    host.dispatch(effSetProgramName, 0, 0, const_cast<char*>("Initial"));
    EXPECT_EQ(host.programName(), "Initial");
    host.dispatch(effSetProgramName, 0, 0,
                  const_cast<char*>("A name far longer than twenty-three characters"));
    EXPECT_EQ(host.programName(), "A name far longer than ");
}

TEST_F(QevVstModule, PresetChunkLoadsIntoTheCurrentProgram)
{
    host.dispatch(effSetProgram, 0, 3);
    const std::vector<unsigned char> preset = chunk(true);
    host.dispatch(effSetProgram, 0, 7);
    EXPECT_EQ(loadChunk(preset, true), 1);
    EXPECT_EQ(host.dispatch(effGetProgram), 7);
    EXPECT_EQ(host.programName(), "2 Stage Phaser");
    EXPECT_EQ(effect->getParameter(effect, 7), qev::kFactorySettings[3].values[6]);
    char text[64];
    host.dispatch(effGetProgramNameIndexed, 7, 0, text);
    EXPECT_STREQ(text, "2 Stage Phaser");
}

TEST_F(QevVstModule, BankChunkKeepsTheProgramNumberAndAppliesItsValues)
{
    host.dispatch(effSetProgram, 0, 5);
    std::vector<unsigned char> bank = chunk(false);
    const float changed = 0.123f;
    std::memcpy(bank.data() + 5 * 1136 + 24 + 4 * 4, &changed, 4);
    host.dispatch(effSetProgram, 0, 0);
    host.dispatch(effSetProgram, 0, 5);
    EXPECT_EQ(loadChunk(bank, false), 1);
    EXPECT_EQ(host.dispatch(effGetProgram), 5);
    EXPECT_EQ(effect->getParameter(effect, 4), changed);
}

TEST_F(QevVstModule, SwitchingProgramsKeepsEdits)
{
    effect->setParameter(effect, 1, 0.9f);
    host.dispatch(effSetProgram, 0, 4);
    EXPECT_EQ(effect->getParameter(effect, 1), qev::kFactorySettings[4].values[0]);
    host.dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(effect->getParameter(effect, 1), 0.9f);
    for (VstIntPtr bad : {-1, 20, 1000})
    {
        host.dispatch(effSetProgram, 0, bad);
        EXPECT_EQ(host.dispatch(effGetProgram), 0);
    }
}

TEST_F(QevVstModule, BadChunksChangeNothing)
{
    const std::vector<unsigned char> bank = chunk(false);
    std::vector<unsigned char> garbage(22720, 0x7F);
    EXPECT_EQ(host.dispatch(effSetChunk, 0, 22720, nullptr), 0);
    EXPECT_EQ(host.dispatch(effSetChunk, 1, 1136, nullptr), 0);
    EXPECT_EQ(loadChunk(garbage, false, 22719), 0);
    EXPECT_EQ(loadChunk(garbage, true, 1135), 0);
    EXPECT_EQ(loadChunk(garbage, true, 0), 0);
    EXPECT_EQ(host.dispatch(effSetChunk, 0, -5, garbage.data()), 0);
    EXPECT_EQ(chunk(false), bank);
    EXPECT_EQ(host.dispatch(effGetChunk, 0, 0, nullptr), 0);

    // Oversized chunks take their first records.
    std::vector<unsigned char> big(bank);
    big.resize(30000, 0xEE);
    EXPECT_EQ(loadChunk(big, false), 1);
    EXPECT_EQ(chunk(false), bank);
    std::vector<unsigned char> preset(bank.begin() + 1136, bank.begin() + 2 * 1136);
    preset.resize(5000, 0xEE);
    EXPECT_EQ(loadChunk(preset, true), 1);
    EXPECT_EQ(host.programName(), "Slow Sweep");

    // A name without terminator is shown cut to its field.
    std::vector<unsigned char> unterminated(1136, 'x');
    std::memset(unterminated.data() + 24, 0, 1136 - 24);
    EXPECT_EQ(loadChunk(unterminated, true), 1);
    EXPECT_EQ(host.programName(), std::string(23, 'x'));
}

TEST_F(QevVstModule, InPlaceProcessingEqualsSeparateBuffers)
{
    const Stereo in = noise(4096, 1);
    const Stereo separate = process(effect, in, 256);
    host.closeEffect();
    ASSERT_NE(host.open(), nullptr);
    effect = host.effect;
    Stereo inPlace = in;
    for (int start = 0; start < 4096; start += 256)
    {
        float* buffers[2] = {inPlace.left.data() + start, inPlace.right.data() + start};
        effect->processReplacing(effect, buffers, buffers, 256);
    }
    EXPECT_EQ(inPlace.left, separate.left);
    EXPECT_EQ(inPlace.right, separate.right);
}

TEST_F(QevVstModule, AsksForTimeOncePerBlockAndNothingElse)
{
    const Stereo in = noise(1024, 2);
    const int before = host.requests;
    process(effect, in, 256);
    EXPECT_EQ(host.timeRequests, 4);
    EXPECT_EQ(host.requests - before, 4);
    EXPECT_EQ(host.lastTimeFilter, 1536);
}

// Output of the engine itself, run as the plug-in should run it.
Stereo engineReference(const Stereo& in, float sync, float tempo)
{
    qev::EngineParams params;
    for (int i = 0; i < 9; ++i)
        params.set(i + 1, qev::kFactorySettings[0].values[i]);
    params.set(qev::kParamSyncSpeed, sync);
    qev::StereoPhaser engine(44100.0f, params);
    Stereo out = in;
    for (size_t n = 0; n < in.left.size(); ++n)
        engine.step(out.left[n], out.right[n], tempo);
    return out;
}

TEST_F(QevVstModule, WithoutTimeInfoTheTempoIs120)
{
    effect->setParameter(effect, 2, 1.0f);
    const Stereo in = noise(8192, 3);
    const Stereo out = process(effect, in, 512);
    const Stereo expected = engineReference(in, 1.0f, 120.0f);
    EXPECT_EQ(out.left, expected.left);
    EXPECT_EQ(out.right, expected.right);
}

TEST(QevVstTempo, TheHostTempoDrivesTheSyncedLfo)
{
    ModuleHost host(HostAnswers{2400, true, 90.0});
    ASSERT_NE(host.open(), nullptr);
    host.effect->setParameter(host.effect, 2, 3.0f);
    const Stereo in = noise(8192, 4);
    const Stereo out = process(host.effect, in, 512);
    const Stereo expected = engineReference(in, 3.0f, 90.0f);
    EXPECT_EQ(out.left, expected.left);
    EXPECT_EQ(out.right, expected.right);
}

TEST(QevVstBlocks, BlockSizeDoesNotChangeTheOutput)
{
    const Stereo in = noise(12000, 5);
    Stereo first;
    for (int block : {1, 7, 512, 4096})
    {
        ModuleHost host;
        ASSERT_NE(host.open(), nullptr);
        const Stereo out = process(host.effect, in, block);
        if (block == 1)
            first = out;
        EXPECT_EQ(out.left, first.left) << block;
        EXPECT_EQ(out.right, first.right) << block;
    }
}

TEST_F(QevVstModule, ParameterChangesTakeEffectAtTheNextBlock)
{
    const Stereo in = noise(1024, 6);
    process(effect, in, 512);
    effect->setParameter(effect, 9, 0.0f);
    const Stereo out = process(effect, in, 512);
    for (float v : out.left)
        ASSERT_EQ(v, 0.0f);
}

TEST_F(QevVstModule, ZeroFrameAndNullBlocksProcessNothing)
{
    float sample = 0.25f;
    float* buffers[2] = {&sample, &sample};
    effect->processReplacing(effect, buffers, buffers, 0);
    effect->processReplacing(effect, buffers, buffers, -3);
    EXPECT_EQ(sample, 0.25f);
    effect->processReplacing(effect, nullptr, buffers, 1);
    effect->processReplacing(effect, buffers, nullptr, 1);
    float* halfNull[2] = {&sample, nullptr};
    effect->processReplacing(effect, halfNull, buffers, 1);
    EXPECT_EQ(sample, 0.25f);
}

TEST_F(QevVstModule, HostileParameterValuesKeepTheOutputFinite)
{
    const Stereo in = noise(2048, 7);
    for (int index = 0; index < 23; ++index)
        for (float value : {NAN, INFINITY, -INFINITY, 1e30f, -1e30f})
        {
            effect->setParameter(effect, index, value);
            const Stereo out = process(effect, in, 512);
            for (size_t n = 0; n < out.left.size(); ++n)
                ASSERT_TRUE(std::isfinite(out.left[n]) && std::isfinite(out.right[n]))
                    << "index " << index << " value " << value;
            effect->setParameter(
                effect, index,
                index >= 1 && index <= 9 ? qev::kFactorySettings[0].values[index - 1] : 0.0f);
        }
}

TEST_F(QevVstModule, SampleRates)
{
    const Stereo in = noise(2048, 8);
    for (float rate : {0.0f, -1.0f, NAN, INFINITY})
    {
        host.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        const Stereo out = process(effect, in, 512);
        for (float v : out.left)
            ASSERT_TRUE(std::isfinite(v)) << rate;
    }
    for (float rate : {8000.0f, 384000.0f, 44100.0f})
    {
        host.dispatch(effMainsChanged, 0, 0);
        host.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        host.dispatch(effMainsChanged, 0, 1);
        const Stereo out = process(effect, in, 512);
        for (float v : out.left)
            ASSERT_TRUE(std::isfinite(v) && std::abs(v) < 4.0f) << rate;
    }
}

TEST(QevVstSampleRates, RatesTheTablesAreNotValidForKeepThePreviousRate)
{
    // Two instances at 48 kHz, one of them also offered rates it must refuse: a host that
    // sends kilohertz for hertz, rates below 1250 Hz, and rates that overflow the tables.
    const Stereo in = noise(4096, 10);
    ModuleHost offered, plain;
    ASSERT_NE(offered.open(), nullptr);
    ASSERT_NE(plain.open(), nullptr);
    for (ModuleHost* host : {&offered, &plain})
        host->dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    for (float rate : {1.0f, 10.0f, 44.1f, 100.0f, 500.0f, 900.0f, 1e16f, 3e38f})
    {
        offered.dispatch(effMainsChanged, 0, 0);
        offered.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        offered.dispatch(effMainsChanged, 0, 1);
        const Stereo out = process(offered.effect, in, 512);
        const Stereo expected = process(plain.effect, in, 512);
        EXPECT_EQ(out.left, expected.left) << rate;
        EXPECT_EQ(out.right, expected.right) << rate;
    }
    offered.dispatch(effSetSampleRate, 0, 0, nullptr, 1e7f); // odd, but valid
    const Stereo out = process(offered.effect, in, 512);
    for (size_t n = 0; n < out.left.size(); ++n)
        ASSERT_TRUE(std::isfinite(out.left[n]) && std::isfinite(out.right[n])) << n;
}

TEST(QevVstModuleLifetime, LoadsAndUnloadsManyTimes)
{
    const Stereo in = noise(256, 9);
    for (int i = 0; i < 100; ++i)
    {
        ModuleHost host;
        ASSERT_TRUE(host.loaded()) << host.loadError();
        ASSERT_NE(host.open(), nullptr);
        process(host.effect, in, 256);
    }
}

} // namespace
