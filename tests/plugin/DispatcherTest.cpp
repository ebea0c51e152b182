#include "Probes.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

using namespace probes;

static_assert(sizeof(VstIntPtr) == 8, "these tests assume a 64-bit target");

namespace
{

// Placeholders in the rows, replaced by real addresses when a row runs.
constexpr VstIntPtr kA = -1001; // the address passed as ptr
constexpr VstIntPtr kB = -1002; // a second address passed as value

// An answer whose low 32 bits read -7 and whose high bits are set: shows how many bits of an
// operation's result reach the host.
constexpr VstIntPtr kWide = 0x1FFFFFFF9;

enum class Width
{
    Zero,  // always 0
    Int32, // the operation's int32, sign-extended
    Bool,  // 1 or 0
    Raw,   // the full pointer-sized result
    Const, // a fixed answer
};

struct OpcodeRow
{
    const char* name;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
    Call expected; // op empty: nothing may be called
    Width width;
    VstIntPtr constant = 0;
};

void PrintTo(const OpcodeRow& row, std::ostream* os)
{
    *os << row.name;
}

VstIntPtr expectedResult(const OpcodeRow& row, VstIntPtr answer)
{
    switch (row.width)
    {
    case Width::Zero:
        return 0;
    case Width::Int32:
        return static_cast<VstInt32>(answer);
    case Width::Bool:
        return answer != 0 ? 1 : 0;
    case Width::Raw:
        return answer;
    case Width::Const:
        return row.constant;
    }
    return -1;
}

const Call none{};

std::vector<OpcodeRow> opcodeRows()
{
    const VstIntPtr high = VstIntPtr{1} << 32;
    return {
        {"Open", effOpen, 0, 0, 0, {"open"}, Width::Zero},
        {"Close", effClose, 0, 0, 0, {"close"}, Width::Zero},
        {"SetProgram19", effSetProgram, 0, 19, 0, {"setProgram", {19}}, Width::Zero},
        {"SetProgram20Ignored", effSetProgram, 0, 20, 0, none, Width::Zero},
        {"SetProgramWideIgnored", effSetProgram, 0, high + 5, 0, none, Width::Zero},
        {"SetProgramNegative", effSetProgram, 0, -1, 0, {"setProgram", {-1}}, Width::Zero},
        {"GetProgram", effGetProgram, 0, 0, 0, {"getProgram"}, Width::Int32},
        {"SetProgramName", effSetProgramName, 0, 0, 0, {"setProgramName", {kA}}, Width::Zero},
        {"GetProgramName", effGetProgramName, 0, 0, 0, {"getProgramName", {kA}}, Width::Zero},
        {"GetParamLabel", effGetParamLabel, 7, 0, 0, {"getParamLabel", {7, kA}}, Width::Zero},
        {"GetParamDisplay", effGetParamDisplay, 8, 0, 0, {"getParamDisplay", {8, kA}}, Width::Zero},
        {"GetParamName", effGetParamName, 9, 0, 0, {"getParamName", {9, kA}}, Width::Zero},
        {"GetVu", effGetVu, 1, 1, 1, none, Width::Zero},
        {"SetSampleRate",
         effSetSampleRate,
         0,
         0,
         48000.0f,
         {"setSampleRate", {}, 48000.0f},
         Width::Zero},
        {"SetBlockSize", effSetBlockSize, 0, 512, 0, {"setBlockSize", {512}}, Width::Zero},
        {"SetBlockSizeLow32",
         effSetBlockSize,
         0,
         high + 256,
         0,
         {"setBlockSize", {256}},
         Width::Zero},
        {"MainsOff", effMainsChanged, 0, 0, 0, {"suspend"}, Width::Zero},
        {"MainsOn2", effMainsChanged, 0, 2, 0, {"resume"}, Width::Zero},
        {"MainsOnHighBits", effMainsChanged, 0, high, 0, {"resume"}, Width::Zero},
        {"EditGetRect", effEditGetRect, 0, 0, 0, {"editor.getRect", {kA}}, Width::Bool},
        {"EditOpen", effEditOpen, 0, 0, 0, {"editor.open", {kA}}, Width::Bool},
        {"EditClose", effEditClose, 0, 0, 0, {"editor.close"}, Width::Zero},
        {"EditDraw", effEditDraw, 1, 1, 1, none, Width::Zero},
        {"EditMouse", effEditMouse, 1, 1, 1, none, Width::Zero},
        {"EditKey", effEditKey, 1, 1, 1, none, Width::Zero},
        {"EditIdle", effEditIdle, 0, 0, 0, {"editor.idle"}, Width::Zero},
        {"EditTop", effEditTop, 1, 1, 1, none, Width::Zero},
        {"EditSleep", effEditSleep, 1, 1, 1, none, Width::Zero},
        {"Identify", effIdentify, 0, 0, 0, none, Width::Const, 0x4E764566},
        {"GetChunkBank", effGetChunk, 0, 0, 0, {"getChunk", {kA, 0}}, Width::Int32},
        {"GetChunkPreset", effGetChunk, 1, 0, 0, {"getChunk", {kA, 1}}, Width::Int32},
        {"GetChunkPresetAnyIndex", effGetChunk, -3, 0, 0, {"getChunk", {kA, 1}}, Width::Int32},
        {"SetChunk", effSetChunk, 1, 1136, 0, {"setChunk", {kA, 1136, 1}}, Width::Int32},
        {"SetChunkBank", effSetChunk, 0, 22720, 0, {"setChunk", {kA, 22720, 0}}, Width::Int32},
        {"ProcessEvents", effProcessEvents, 0, 0, 0, {"processEvents", {kA}}, Width::Int32},
        {"CanBeAutomated", effCanBeAutomated, 5, 0, 0, {"canBeAutomated", {5}}, Width::Bool},
        {"String2Parameter",
         effString2Parameter,
         4,
         0,
         0,
         {"string2parameter", {4, kA}},
         Width::Bool},
        {"NumProgramCategories", effGetNumProgramCategories, 1, 1, 1, none, Width::Zero},
        {"ProgramNameIndexed",
         effGetProgramNameIndexed,
         3,
         2,
         0,
         {"getProgramNameIndexed", {2, 3, kA}},
         Width::Bool},
        {"CopyProgram", effCopyProgram, 1, 1, 1, none, Width::Zero},
        {"ConnectInput", effConnectInput, 1, 1, 1, none, Width::Zero},
        {"ConnectOutput", effConnectOutput, 1, 1, 1, none, Width::Zero},
        {"InputProperties",
         effGetInputProperties,
         1,
         0,
         0,
         {"getInputProperties", {1, kA}},
         Width::Bool},
        {"OutputProperties",
         effGetOutputProperties,
         1,
         0,
         0,
         {"getOutputProperties", {1, kA}},
         Width::Bool},
        {"PlugCategory", effGetPlugCategory, 0, 0, 0, {"getPlugCategory"}, Width::Int32},
        {"CurrentPosition", effGetCurrentPosition, 1, 1, 1, none, Width::Zero},
        {"DestinationBuffer", effGetDestinationBuffer, 1, 1, 1, none, Width::Zero},
        {"OfflineNotifyStart",
         effOfflineNotify,
         1,
         4,
         0,
         {"offlineNotify", {kA, 4, 1}},
         Width::Bool},
        {"OfflineNotifyStop",
         effOfflineNotify,
         0,
         4,
         0,
         {"offlineNotify", {kA, 4, 0}},
         Width::Bool},
        {"OfflinePrepare", effOfflinePrepare, 0, 6, 0, {"offlinePrepare", {kA, 6}}, Width::Bool},
        {"OfflineRun", effOfflineRun, 0, 6, 0, {"offlineRun", {kA, 6}}, Width::Bool},
        {"ProcessVarIo", effProcessVarIo, 0, 0, 0, {"processVarIo", {kA}}, Width::Bool},
        {"SetSpeakerArrangement",
         effSetSpeakerArrangement,
         0,
         kB,
         0,
         {"setSpeakerArrangement", {kB, kA}},
         Width::Bool},
        {"BlockSizeAndSampleRate", effSetBlockSizeAndSampleRate, 1, 1, 1, none, Width::Zero},
        {"BypassOn", effSetBypass, 0, 1, 0, {"setBypass", {1}}, Width::Bool},
        {"BypassOff", effSetBypass, 0, 0, 0, {"setBypass", {0}}, Width::Bool},
        {"BypassHighBits", effSetBypass, 0, high, 0, {"setBypass", {1}}, Width::Bool},
        {"EffectName", effGetEffectName, 0, 0, 0, {"getEffectName", {kA}}, Width::Bool},
        {"ErrorText", effGetErrorText, 1, 1, 1, none, Width::Zero},
        {"VendorString", effGetVendorString, 0, 0, 0, {"getVendorString", {kA}}, Width::Bool},
        {"ProductString", effGetProductString, 0, 0, 0, {"getProductString", {kA}}, Width::Bool},
        {"VendorVersion", effGetVendorVersion, 0, 0, 0, {"getVendorVersion"}, Width::Int32},
        {"VendorSpecific",
         effVendorSpecific,
         3,
         high + 9,
         0.5f,
         {"vendorSpecific", {3, high + 9, kA}, 0.5f},
         Width::Raw},
        {"CanDo", effCanDo, 0, 0, 0, {"canDo", {kA}}, Width::Int32},
        {"TailSize", effGetTailSize, 0, 0, 0, {"getTailSize"}, Width::Int32},
        {"Idle", effIdle, 1, 1, 1, none, Width::Zero},
        {"Icon", effGetIcon, 1, 1, 1, none, Width::Zero},
        {"ViewPosition", effSetViewPosition, 1, 1, 1, none, Width::Zero},
        {"ParameterProperties",
         effGetParameterProperties,
         2,
         0,
         0,
         {"getParameterProperties", {2, kA}},
         Width::Bool},
        {"KeysRequired", effKeysRequired, 1, 1, 1, none, Width::Zero},
        {"VstVersion", effGetVstVersion, 0, 0, 0, {"getVstVersion"}, Width::Int32},
        {"KeyDown",
         effEditKeyDown,
         'a',
         0x1234,
         3.9f,
         {"editor.onKeyDown", {'a', 0x34, 3}},
         Width::Bool},
        {"KeyDownNegativeModifier",
         effEditKeyDown,
         0,
         0x41,
         -1.5f,
         {"editor.onKeyDown", {0, 0x41, 255}},
         Width::Bool},
        {"KeyDownOutOfRangeModifier",
         effEditKeyDown,
         0,
         0x41,
         1e20f,
         {"editor.onKeyDown", {0, 0x41, 0}},
         Width::Bool},
        {"KeyUp", effEditKeyUp, 'z', 0x1FF, 2.0f, {"editor.onKeyUp", {'z', 0xFF, 2}}, Width::Bool},
        {"KnobMode", effSetEditKnobMode, 0, 2, 0, {"editor.setKnobMode", {2}}, Width::Bool},
        {"MidiProgramName",
         effGetMidiProgramName,
         1,
         0,
         0,
         {"getMidiProgramName", {1, kA}},
         Width::Int32},
        {"CurrentMidiProgram",
         effGetCurrentMidiProgram,
         2,
         0,
         0,
         {"getCurrentMidiProgram", {2, kA}},
         Width::Int32},
        {"MidiProgramCategory",
         effGetMidiProgramCategory,
         3,
         0,
         0,
         {"getMidiProgramCategory", {3, kA}},
         Width::Int32},
        {"MidiProgramsChanged",
         effHasMidiProgramsChanged,
         4,
         0,
         0,
         {"hasMidiProgramsChanged", {4}},
         Width::Bool},
        {"MidiKeyName", effGetMidiKeyName, 5, 0, 0, {"getMidiKeyName", {5, kA}}, Width::Bool},
        {"BeginSetProgram", effBeginSetProgram, 0, 0, 0, {"beginSetProgram"}, Width::Bool},
        {"EndSetProgram", effEndSetProgram, 0, 0, 0, {"endSetProgram"}, Width::Bool},
        {"GetSpeakerArrangement",
         effGetSpeakerArrangement,
         0,
         kB,
         0,
         {"getSpeakerArrangement", {kB, kA}},
         Width::Bool},
        {"ShellNextPlugin",
         effShellGetNextPlugin,
         0,
         0,
         0,
         {"getNextShellPlugin", {kA}},
         Width::Int32},
        {"StartProcess", effStartProcess, 0, 0, 0, {"startProcess"}, Width::Int32},
        {"StopProcess", effStopProcess, 0, 0, 0, {"stopProcess"}, Width::Int32},
        {"TotalSamples",
         effSetTotalSampleToProcess,
         0,
         1234,
         0,
         {"setTotalSampleToProcess", {1234}},
         Width::Int32},
        {"PanLaw", effSetPanLaw, 0, 1, 0.7f, {"setPanLaw", {1}, 0.7f}, Width::Bool},
        {"BeginLoadBank", effBeginLoadBank, 0, 0, 0, {"beginLoadBank", {kA}}, Width::Int32},
        {"BeginLoadProgram",
         effBeginLoadProgram,
         0,
         0,
         0,
         {"beginLoadProgram", {kA}},
         Width::Int32},
        {"ProcessPrecision",
         effSetProcessPrecision,
         0,
         1,
         0,
         {"setProcessPrecision", {1}},
         Width::Bool},
        {"MidiInputChannels",
         effGetNumMidiInputChannels,
         0,
         0,
         0,
         {"getNumMidiInputChannels"},
         Width::Int32},
        {"MidiOutputChannels",
         effGetNumMidiOutputChannels,
         0,
         0,
         0,
         {"getNumMidiOutputChannels"},
         Width::Int32},
        {"Opcode80", 80, 1, 1, 1, none, Width::Zero},
        {"OpcodeMinus1", -1, 1, 1, 1, none, Width::Zero},
        {"OpcodeMax", INT_MAX, 1, 1, 1, none, Width::Zero},
        {"OpcodeMin", INT_MIN, 1, 1, 1, none, Width::Zero},
    };
}

class OpcodeTest : public testing::TestWithParam<OpcodeRow>
{
protected:
    OpcodeTest() { plugin.setEditor(new ProbeEditor(&plugin, journal)); }

    VstIntPtr substitute(VstIntPtr v) const
    {
        return v == kA ? bits(bufferA) : v == kB ? bits(bufferB) : v;
    }

    Journal journal;
    ProbePlugin plugin{journal};
    char bufferA[64] = {};
    char bufferB[64] = {};
};

TEST_P(OpcodeTest, reachesItsOperationAndAnswersWithItsWidth)
{
    const OpcodeRow& row = GetParam();
    Call expected = row.expected;
    for (VstIntPtr& arg : expected.args)
        arg = substitute(arg);
    for (VstIntPtr answer : {VstIntPtr{0}, kWide})
    {
        journal.calls.clear();
        journal.answer = answer;
        // The object's dispatcher, not the record's entry: that one would destroy the fixture
        // on effClose (covered in RecordTest).
        const VstIntPtr result =
            plugin.dispatcher(row.opcode, row.index, substitute(row.value), bufferA, row.opt);
        if (expected.op.empty())
        {
            EXPECT_TRUE(journal.calls.empty()) << journal.calls.front();
        }
        else
        {
            EXPECT_EQ(journal.calls, std::vector<Call>{expected});
        }
        EXPECT_EQ(result, expectedResult(row, answer)) << "answer " << answer;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryOpcode, OpcodeTest, testing::ValuesIn(opcodeRows()),
                         [](const auto& info) { return std::string(info.param.name); });

// Every opcode that reads or writes through ptr, and the two that take a second pointer in
// value: hosts probe with null there.
const VstInt32 kPointerOpcodes[] = {
    effSetProgramName,
    effGetProgramName,
    effGetParamLabel,
    effGetParamDisplay,
    effGetParamName,
    effEditGetRect,
    effEditOpen,
    effGetChunk,
    effSetChunk,
    effString2Parameter,
    effGetProgramNameIndexed,
    effGetInputProperties,
    effGetOutputProperties,
    effOfflineNotify,
    effOfflinePrepare,
    effOfflineRun,
    effProcessVarIo,
    effSetSpeakerArrangement,
    effGetEffectName,
    effGetVendorString,
    effGetProductString,
    effGetParameterProperties,
    effGetMidiProgramName,
    effGetMidiProgramCategory,
    effGetMidiKeyName,
    effShellGetNextPlugin,
    effBeginLoadBank,
    effBeginLoadProgram,
};

class NullPointerTest : public testing::TestWithParam<VstInt32>
{
};

TEST_P(NullPointerTest, nullPtrAnswersZeroAndCallsNothing)
{
    Journal journal;
    journal.answer = 1;
    ProbePlugin probe(journal);
    probe.setEditor(new ProbeEditor(&probe, journal));
    VstIntPtr target = 0;
    EXPECT_EQ(probe.dispatcher(GetParam(), 1, bits(&target), nullptr, 1.0f), 0);
    EXPECT_TRUE(journal.calls.empty()) << journal.calls.front();
}

TEST_P(NullPointerTest, baseDefaultsSurviveNullPtr)
{
    // The base operations write through their pointers; the sanitizer build halts on any
    // write through null.
    BasePlugin base;
    base.setEditor(new AEffEditor(&base));
    VstIntPtr target = 0;
    EXPECT_EQ(base.dispatcher(GetParam(), 1, bits(&target), nullptr, 1.0f), 0);
}

INSTANTIATE_TEST_SUITE_P(EveryPointerOpcode, NullPointerTest, testing::ValuesIn(kPointerOpcodes));

TEST(SpeakerArrangementOpcodes, nullValuePointerAnswersZeroAndCallsNothing)
{
    Journal journal;
    journal.answer = 1;
    ProbePlugin probe(journal);
    VstSpeakerArrangement* out = nullptr;
    EXPECT_EQ(probe.dispatcher(effSetSpeakerArrangement, 0, 0, &out, 0), 0);
    EXPECT_TRUE(journal.calls.empty());
}

// Operations whose answer does not need the pointer get the host's null as it is, and answer
// as they would with a pointer: -1 for the current MIDI program, across the whole result.
struct NullPassRow
{
    VstInt32 opcode;
    Call expected;
    VstIntPtr baseAnswer;
};

class NullPassedThroughTest : public testing::TestWithParam<NullPassRow>
{
};

TEST_P(NullPassedThroughTest, reachesTheOperation)
{
    Journal journal;
    journal.answer = 1;
    ProbePlugin probe(journal);
    EXPECT_EQ(probe.dispatcher(GetParam().opcode, 3, 0, nullptr, 0), 1);
    EXPECT_EQ(journal.calls, std::vector<Call>{GetParam().expected});
}

TEST_P(NullPassedThroughTest, baseAnswersAsWithAPointer)
{
    BasePlugin base;
    EXPECT_EQ(base.dispatcher(GetParam().opcode, 3, 0, nullptr, 0), GetParam().baseAnswer);
}

INSTANTIATE_TEST_SUITE_P(
    PointerNotNeeded, NullPassedThroughTest,
    testing::Values(NullPassRow{effProcessEvents, {"processEvents", {0}}, 0},
                    NullPassRow{effCanDo, {"canDo", {0}}, 0},
                    NullPassRow{effGetCurrentMidiProgram, {"getCurrentMidiProgram", {3, 0}}, -1},
                    NullPassRow{effGetSpeakerArrangement, {"getSpeakerArrangement", {0, 0}}, 0}));

TEST(SpeakerArrangementOpcodes, baseNullsWhicheverPointerIsGiven)
{
    BasePlugin base;
    VstSpeakerArrangement dummy{};
    VstSpeakerArrangement* in = &dummy;
    VstSpeakerArrangement* out = &dummy;
    EXPECT_EQ(base.dispatcher(effGetSpeakerArrangement, 0, bits(&in), nullptr, 0), 0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(base.dispatcher(effGetSpeakerArrangement, 0, 0, &out, 0), 0);
    EXPECT_EQ(out, nullptr);
}

TEST(EditorOpcodes, withoutEditorAnswerZeroAndTouchNothing)
{
    Journal journal;
    journal.answer = 1;
    ProbePlugin probe(journal);
    ERect sentinel{};
    ERect* rect = &sentinel;
    for (VstInt32 op : {effEditGetRect, effEditOpen, effEditClose, effEditIdle, effEditKeyDown,
                        effEditKeyUp, effSetEditKnobMode})
        EXPECT_EQ(probe.dispatcher(op, 'a', 2, &rect, 1.0f), 0) << op;
    EXPECT_EQ(rect, &sentinel);
    EXPECT_TRUE(journal.calls.empty());
}

// The defaults a plug-in gets for what it does not replace, as the host sees them.
struct DefaultRow
{
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    VstIntPtr expected;
};

void PrintTo(const DefaultRow& row, std::ostream* os)
{
    *os << "opcode " << row.opcode << " index " << row.index << " value " << row.value;
}

class BaseDefaultTest : public testing::TestWithParam<DefaultRow>
{
};

TEST_P(BaseDefaultTest, answersTheBaseDefault)
{
    const DefaultRow& row = GetParam();
    BasePlugin base;
    char buffer[64] = {};
    EXPECT_EQ(base.dispatcher(row.opcode, row.index, row.value, buffer, 0.5f), row.expected);
}

// Only the defaults that are not a plain 0 or false.
INSTANTIATE_TEST_SUITE_P(Defaults, BaseDefaultTest,
                         testing::Values(DefaultRow{effIdentify, 0, 0, 0x4E764566},
                                         DefaultRow{effCanBeAutomated, 0, 0, 1},
                                         DefaultRow{effCanBeAutomated, -5, 0, 1},
                                         DefaultRow{effCanBeAutomated, 100000, 0, 1},
                                         DefaultRow{effGetVstVersion, 0, 0, 2400},
                                         DefaultRow{effGetCurrentMidiProgram, 0, 0, -1},
                                         DefaultRow{effSetTotalSampleToProcess, 0, 1234, 1234},
                                         DefaultRow{effSetTotalSampleToProcess, 0, -9, -9}));

TEST(BaseDefaults, textGettersWriteEmptyStringsAndIdentificationLeavesTheBuffer)
{
    BasePlugin base;
    for (VstInt32 op : {effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName})
    {
        char text[24] = "prepared";
        base.dispatcher(op, 1, 0, text, 0);
        EXPECT_STREQ(text, "") << op;
    }
    for (VstInt32 op : {effGetEffectName, effGetVendorString, effGetProductString})
    {
        char text[64] = "prepared";
        EXPECT_EQ(base.dispatcher(op, 0, 0, text, 0), 0);
        EXPECT_STREQ(text, "prepared") << op;
    }
}

TEST(BaseDefaults, synthReportsSynthCategory)
{
    BasePlugin base;
    base.isSynth(true);
    EXPECT_EQ(base.dispatcher(effGetPlugCategory, 0, 0, nullptr, 0), kPlugCategSynth);
    base.isSynth(false);
    EXPECT_EQ(base.dispatcher(effGetPlugCategory, 0, 0, nullptr, 0), kPlugCategUnknown);
}

TEST(BaseDefaults, getSpeakerArrangementNullsBothPointers)
{
    BasePlugin base;
    VstSpeakerArrangement dummy{};
    VstSpeakerArrangement* in = &dummy;
    VstSpeakerArrangement* out = &dummy;
    EXPECT_EQ(base.dispatcher(effGetSpeakerArrangement, 0, bits(&in), &out, 0), 0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
}

TEST(BaseDefaults, configurationOpcodesStoreTheirValues)
{
    BasePlugin base;
    base.dispatcher(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    base.dispatcher(effSetBlockSize, 0, 256, nullptr, 0);
    EXPECT_EQ(base.getSampleRate(), 96000.0f);
    EXPECT_EQ(base.getBlockSize(), 256);
    base.setBlockSizeAndSampleRate(64, 22050.0f);
    EXPECT_EQ(base.getBlockSize(), 64);
    EXPECT_EQ(base.getSampleRate(), 22050.0f);
}

TEST(BaseDefaults, setProgramAcceptsOnlyExistingPrograms)
{
    BasePlugin base;
    base.dispatcher(effSetProgram, 0, 19, nullptr, 0);
    EXPECT_EQ(base.dispatcher(effGetProgram, 0, 0, nullptr, 0), 19);
    for (VstIntPtr bad : {VstIntPtr{20}, VstIntPtr{-1}, VstIntPtr{INT_MIN}, VstIntPtr{1} << 40})
    {
        base.dispatcher(effSetProgram, 0, bad, nullptr, 0);
        EXPECT_EQ(base.getProgram(), 19) << bad;
    }
    base.setProgram(-3);
    EXPECT_EQ(base.getProgram(), 19);
}

TEST(EditorBase, defaultsAnswerNotDoneAndTrackTheParentWindow)
{
    BasePlugin base;
    AEffEditor editor(&base);
    EXPECT_EQ(editor.getEffect(), &base);
    ERect sentinel{};
    ERect* rect = &sentinel;
    EXPECT_FALSE(editor.getRect(&rect));
    EXPECT_EQ(rect, nullptr);
    EXPECT_FALSE(editor.isOpen());
    int window = 0;
    EXPECT_FALSE(editor.open(&window));
    EXPECT_TRUE(editor.isOpen());
    editor.close();
    EXPECT_FALSE(editor.isOpen());
    VstKeyCode key{'a', 1, 2};
    EXPECT_FALSE(editor.onKeyDown(key));
    EXPECT_FALSE(editor.onKeyUp(key));
    EXPECT_FALSE(editor.onWheel(1.0f));
    EXPECT_FALSE(editor.setKnobMode(2));
}

} // namespace
