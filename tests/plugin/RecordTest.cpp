#include "Probes.h"

#include <gtest/gtest.h>

#include <functional>

using namespace probes;

namespace
{

TEST(Record, baseConstructionFillsTheRecord)
{
    BasePlugin base(nullptr, 20, 23);
    const AEffect& e = *base.getAeffect();
    EXPECT_EQ(&e, &base.cEffect);
    EXPECT_EQ(e.magic, 0x56737450);
    EXPECT_EQ(e.dispatcher, &dispatchEffectClass);
    EXPECT_EQ(e.process, &processClass);
    EXPECT_EQ(e.setParameter, &setParameterClass);
    EXPECT_EQ(e.getParameter, &getParameterClass);
    EXPECT_EQ(e.processReplacing, &processClassReplacing);
    EXPECT_EQ(e.processDoubleReplacing, &processClassDoubleReplacing);
    EXPECT_EQ(e.numPrograms, 20);
    EXPECT_EQ(e.numParams, 23);
    EXPECT_EQ(e.numInputs, 1);
    EXPECT_EQ(e.numOutputs, 2);
    EXPECT_EQ(e.flags, effFlagsCanReplacing);
    EXPECT_EQ(e.resvd1, 0);
    EXPECT_EQ(e.resvd2, 0);
    EXPECT_EQ(e.initialDelay, 0);
    EXPECT_EQ(e.realQualities, 0);
    EXPECT_EQ(e.offQualities, 0);
    EXPECT_EQ(e.ioRatio, 1.0f);
    EXPECT_EQ(e.object, static_cast<AudioEffect*>(&base));
    EXPECT_EQ(e.user, nullptr);
    EXPECT_EQ(e.uniqueID, 0x4E6F4566);
    EXPECT_EQ(e.version, 1);
    for (char c : e.future)
        EXPECT_EQ(c, 0);

    EXPECT_EQ(base.editor, nullptr);
    EXPECT_EQ(base.sampleRate, 44100.0f);
    EXPECT_EQ(base.blockSize, 1024);
    EXPECT_EQ(base.curProgram, 0);
}

TEST(Record, fourCharacterIdentifiersPackBigEndian)
{
    EXPECT_EQ(fourCC("VstP"), kEffectMagic);
    EXPECT_EQ(fourCC("m8g0"), 0x6D386730);
    EXPECT_EQ(fourCC("NvEf"), 0x4E764566);
}

TEST(Record, settersStoreIntoTheRecord)
{
    BasePlugin base;
    base.setUniqueID(fourCC("m8g0"));
    base.setNumInputs(2);
    base.setNumOutputs(6);
    base.setInitialDelay(128);
    base.setRealQualities(3);
    base.setOffQualities(4);
    const AEffect& e = *base.getAeffect();
    EXPECT_EQ(e.uniqueID, 0x6D386730);
    EXPECT_EQ(e.numInputs, 2);
    EXPECT_EQ(e.numOutputs, 6);
    EXPECT_EQ(e.initialDelay, 128);
    EXPECT_EQ(e.realQualities, 3);
    EXPECT_EQ(e.offQualities, 4);
}

TEST(EntryFunctions, forwardTheirArgumentsToTheObject)
{
    Journal journal;
    ProbePlugin probe(journal);
    AEffect* e = probe.getAeffect();
    float* in[2] = {};
    float* out[2] = {};
    double* din[2] = {};
    double* dout[2] = {};
    e->process(e, in, out, 64);
    e->processReplacing(e, in, out, 128);
    e->processDoubleReplacing(e, din, dout, 256);
    e->setParameter(e, 7, 0.25f);
    EXPECT_EQ(e->getParameter(e, 9), 0.75f);
    const std::vector<Call> expected = {
        {"process", {bits(in), bits(out), 64}},
        {"processReplacing", {bits(in), bits(out), 128}},
        {"processDoubleReplacing", {bits(din), bits(dout), 256}},
        {"setParameter", {7}, 0.25f},
        {"getParameter", {9}},
    };
    EXPECT_EQ(journal.calls, expected);
}

TEST(EntryFunctions, recordWithoutObjectIsIgnored)
{
    AEffect empty{};
    EXPECT_EQ(dispatchEffectClass(&empty, effClose, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(dispatchEffectClass(nullptr, effGetVstVersion, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(getParameterClass(&empty, 0), 0.0f);
    setParameterClass(nullptr, 0, 1.0f);
    processClassReplacing(&empty, nullptr, nullptr, 16);
}

TEST(EntryFunctions, closeCallsCloseThenDestroysPluginThenEditorAndAnswersOne)
{
    Journal journal;
    auto* probe = new ProbePlugin(journal);
    probe->setEditor(new ProbeEditor(probe, journal));
    AEffect* e = probe->getAeffect();
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0), 1);
    const std::vector<Call> expected = {{"close"}, {"~plugin"}, {"~editor"}};
    EXPECT_EQ(journal.calls, expected);
}

// Each flag setter against its bit.
struct FlagRow
{
    const char* name;
    std::function<void(BasePlugin&, bool)> set;
    VstInt32 bit;
};

void PrintTo(const FlagRow& row, std::ostream* os)
{
    *os << row.name;
}

class FlagTest : public testing::TestWithParam<FlagRow>
{
};

TEST_P(FlagTest, setsAndClearsOnlyItsBit)
{
    const FlagRow& row = GetParam();
    BasePlugin base;
    base.cEffect.flags = 0;
    row.set(base, true);
    EXPECT_EQ(base.cEffect.flags, row.bit);
    row.set(base, true);
    EXPECT_EQ(base.cEffect.flags, row.bit);
    base.cEffect.flags = -1;
    row.set(base, false);
    EXPECT_EQ(base.cEffect.flags, ~row.bit);
    row.set(base, true);
    EXPECT_EQ(base.cEffect.flags, -1);
}

INSTANTIATE_TEST_SUITE_P(
    EverySetter, FlagTest,
    testing::Values(
        FlagRow{"hasClip", [](BasePlugin& p, bool s) { p.hasClip(s); }, 2},
        FlagRow{"hasVu", [](BasePlugin& p, bool s) { p.hasVu(s); }, 4},
        FlagRow{"canMono", [](BasePlugin& p, bool s) { p.canMono(s); }, 8},
        FlagRow{"canProcessReplacing", [](BasePlugin& p, bool s) { p.canProcessReplacing(s); }, 16},
        FlagRow{"programsAreChunks", [](BasePlugin& p, bool s) { p.programsAreChunks(s); }, 32},
        FlagRow{"isSynth", [](BasePlugin& p, bool s) { p.isSynth(s); }, 256},
        FlagRow{"noTail", [](BasePlugin& p, bool s) { p.noTail(s); }, 512},
        FlagRow{"wantAsyncOperation", [](BasePlugin& p, bool s) { p.wantAsyncOperation(s); }, 1024},
        FlagRow{"hasExternalBuffer", [](BasePlugin& p, bool s) { p.hasExternalBuffer(s); }, 2048},
        FlagRow{"canDoubleReplacing", [](BasePlugin& p, bool s) { p.canDoubleReplacing(s); },
                4096}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Flags, setEditorFollowsThePointer)
{
    Journal journal;
    BasePlugin base;
    base.cEffect.flags = -1 & ~effFlagsHasEditor;
    auto* editor = new ProbeEditor(&base, journal);
    base.setEditor(editor);
    EXPECT_EQ(base.getEditor(), editor);
    EXPECT_EQ(base.cEffect.flags, -1);
    base.setEditor(nullptr);
    EXPECT_EQ(base.cEffect.flags, -1 & ~effFlagsHasEditor);
    EXPECT_EQ(base.getEditor(), nullptr);
    delete editor;
}

TEST(Flags, editorIsDeletedWithThePlugin)
{
    Journal journal;
    {
        BasePlugin base;
        base.setEditor(new ProbeEditor(&base, journal));
    }
    EXPECT_EQ(journal.calls, std::vector<Call>{Call{"~editor"}});
}

TEST(BaseConversions, displayTextsUseTheStoredSampleRate)
{
    BasePlugin base;
    char text[16];
    base.float2string(-3.25f, text, 15);
    EXPECT_STREQ(text, "-3.25000");
    base.int2string(-42, text, 15);
    EXPECT_STREQ(text, "-42");
    base.dB2string(0.0f, text, 15);
    EXPECT_STREQ(text, "-oo");
    base.setSampleRate(48000.0f);
    base.Hz2string(480.0f, text, 15);
    EXPECT_STREQ(text, "100.0000");
    base.ms2string(480.0f, text, 15);
    EXPECT_STREQ(text, "10.00000");
}

} // namespace
