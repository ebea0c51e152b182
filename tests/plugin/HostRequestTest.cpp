#include "Probes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <type_traits>

using namespace probes;

namespace
{

// Distinct addresses standing for the records a request passes on; never dereferenced.
char objectA[8];
char textA[64] = "sizeWindow";

template <typename T> T* fake()
{
    return reinterpret_cast<T*>(objectA);
}

// How the operation turns the host's answer into its result.
enum class Conv
{
    Nothing, // no result (reported as 0)
    Int32,   // low 32 bits, sign-extended
    Bool,    // 1 when the answer is non-zero
    Pointer, // the answer unchanged
    Version, // int32, but 1 for 0
    Pin,     // 1 when the answer is 0
};

VstIntPtr converted(Conv conv, VstIntPtr answer)
{
    switch (conv)
    {
    case Conv::Nothing:
        return 0;
    case Conv::Int32:
        return static_cast<VstInt32>(answer);
    case Conv::Bool:
        return answer != 0;
    case Conv::Pointer:
        return answer;
    case Conv::Version:
        return static_cast<VstInt32>(answer) != 0 ? static_cast<VstInt32>(answer) : 1;
    case Conv::Pin:
        return answer == 0;
    }
    return -1;
}

VstIntPtr withoutHost(Conv conv)
{
    return conv == Conv::Version || conv == Conv::Pin ? 1 : 0;
}

struct RequestRow
{
    const char* name;
    std::function<VstIntPtr(AudioEffectX&)> call;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
    Conv conv;
};

void PrintTo(const RequestRow& row, std::ostream* os)
{
    *os << row.name;
}

template <typename F> std::function<VstIntPtr(AudioEffectX&)> op(F f)
{
    return [f](AudioEffectX& p) -> VstIntPtr
    {
        if constexpr (std::is_void_v<decltype(f(p))>)
        {
            f(p);
            return 0;
        }
        else if constexpr (std::is_pointer_v<decltype(f(p))>)
            return bits(f(p));
        else
            return static_cast<VstIntPtr>(f(p));
    };
}

std::vector<RequestRow> requestRows()
{
    using P = AudioEffectX;
    return {
        {"Automate", op([](P& p) { p.setParameterAutomated(5, 0.25f); }), 0, 5, 0, nullptr, 0.25f,
         Conv::Nothing},
        {"Version", op([](P& p) { return p.getMasterVersion(); }), 1, 0, 0, nullptr, 0,
         Conv::Version},
        {"CurrentId", op([](P& p) { return p.getCurrentUniqueId(); }), 2, 0, 0, nullptr, 0,
         Conv::Int32},
        {"Idle", op([](P& p) { p.masterIdle(); }), 3, 0, 0, nullptr, 0, Conv::Nothing},
        {"InputConnected", op([](P& p) { return p.isInputConnected(3); }), 4, 3, 0, nullptr, 0,
         Conv::Pin},
        {"OutputConnected", op([](P& p) { return p.isOutputConnected(3); }), 4, 3, 1, nullptr, 0,
         Conv::Pin},
        {"WantMidi", op([](P& p) { p.wantEvents(1); }), 6, 0, 1, nullptr, 0, Conv::Nothing},
        {"GetTime", op([](P& p) { return p.getTimeInfo(1536); }), 7, 0, 1536, nullptr, 0,
         Conv::Pointer},
        {"TempoAt", op([](P& p) { return p.tempoAt(99); }), 10, 0, 99, nullptr, 0, Conv::Int32},
        {"NumAutomatable", op([](P& p) { return p.getNumAutomatableParameters(); }), 11, 0, 0,
         nullptr, 0, Conv::Int32},
        {"Quantization", op([](P& p) { return p.getParameterQuantization(); }), 12, 0, 0, nullptr,
         0, Conv::Int32},
        {"IOChanged", op([](P& p) { return p.ioChanged(); }), 13, 0, 0, nullptr, 0, Conv::Bool},
        {"NeedIdle", op([](P& p) { return p.needIdle(); }), 14, 0, 0, nullptr, 0, Conv::Bool},
        {"SizeWindow", op([](P& p) { return p.sizeWindow(521, 166); }), 15, 521, 166, nullptr, 0,
         Conv::Bool},
        {"InputLatency", op([](P& p) { return p.getInputLatency(); }), 18, 0, 0, nullptr, 0,
         Conv::Int32},
        {"OutputLatency", op([](P& p) { return p.getOutputLatency(); }), 19, 0, 0, nullptr, 0,
         Conv::Int32},
        {"PreviousPlug", op([](P& p) { return p.getPreviousPlug(7); }), 20, 0, 0, nullptr, 0,
         Conv::Pointer},
        {"NextPlug", op([](P& p) { return p.getNextPlug(7); }), 21, 0, 0, nullptr, 0,
         Conv::Pointer},
        {"WillReplace", op([](P& p) { return p.willProcessReplacing(); }), 22, 0, 0, nullptr, 0,
         Conv::Int32},
        {"ProcessLevel", op([](P& p) { return p.getCurrentProcessLevel(); }), 23, 0, 0, nullptr, 0,
         Conv::Int32},
        {"AutomationState", op([](P& p) { return p.getAutomationState(); }), 24, 0, 0, nullptr, 0,
         Conv::Int32},
        {"OfflineStart", op([](P& p) { return p.offlineStart(fake<VstAudioFile>(), 4, 2); }), 25, 2,
         4, objectA, 0, Conv::Bool},
        {"OfflineReadSource",
         op([](P& p) { return p.offlineRead(fake<VstOfflineTask>(), 3, true); }), 26, 1, 3, objectA,
         0, Conv::Bool},
        {"OfflineReadDestination",
         op([](P& p) { return p.offlineRead(fake<VstOfflineTask>(), 3, false); }), 26, 0, 3,
         objectA, 0, Conv::Bool},
        {"OfflineWrite", op([](P& p) { return p.offlineWrite(fake<VstOfflineTask>(), 3); }), 27, 0,
         3, objectA, 0, Conv::Bool},
        {"OfflinePass", op([](P& p) { return p.offlineGetCurrentPass(); }), 28, 0, 0, nullptr, 0,
         Conv::Bool},
        {"OfflineMetaPass", op([](P& p) { return p.offlineGetCurrentMetaPass(); }), 29, 0, 0,
         nullptr, 0, Conv::Bool},
        {"OutputSampleRate", op([](P& p) { p.setOutputSamplerate(48000.0f); }), 30, 0, 0, nullptr,
         48000.0f, Conv::Nothing},
        {"OutputArrangement", op([](P& p) { return p.getOutputSpeakerArrangement(); }), 31, 0, 0,
         nullptr, 0, Conv::Pointer},
        {"VendorString", op([](P& p) { return p.getHostVendorString(textA); }), 32, 0, 0, textA, 0,
         Conv::Bool},
        {"ProductString", op([](P& p) { return p.getHostProductString(textA); }), 33, 0, 0, textA,
         0, Conv::Bool},
        {"VendorVersion", op([](P& p) { return p.getHostVendorVersion(); }), 34, 0, 0, nullptr, 0,
         Conv::Int32},
        {"VendorSpecific", op([](P& p) { return p.hostVendorSpecific(1, 2, objectA, 0.5f); }), 35,
         1, 2, objectA, 0.5f, Conv::Pointer},
        {"CanDo", op([](P& p) { return p.canHostDo(textA); }), 37, 0, 0, textA, 0, Conv::Bool},
        {"Language", op([](P& p) { return p.getHostLanguage(); }), 38, 0, 0, nullptr, 0,
         Conv::Int32},
        {"OpenWindow", op([](P& p) { return p.openWindow(fake<VstWindow>()); }), 39, 0, 0, objectA,
         0, Conv::Pointer},
        {"CloseWindow", op([](P& p) { return p.closeWindow(fake<VstWindow>()); }), 40, 0, 0,
         objectA, 0, Conv::Bool},
        {"Directory", op([](P& p) { return p.getDirectory(); }), 41, 0, 0, nullptr, 0,
         Conv::Pointer},
        {"UpdateDisplay", op([](P& p) { return p.updateDisplay(); }), 42, 0, 0, nullptr, 0,
         Conv::Bool},
        {"BeginEdit", op([](P& p) { return p.beginEdit(4); }), 43, 4, 0, nullptr, 0, Conv::Bool},
        {"EndEdit", op([](P& p) { return p.endEdit(4); }), 44, 4, 0, nullptr, 0, Conv::Bool},
        {"OpenFileSelector", op([](P& p) { return p.openFileSelector(fake<VstFileSelect>()); }), 45,
         0, 0, objectA, 0, Conv::Bool},
        {"CloseFileSelector", op([](P& p) { return p.closeFileSelector(fake<VstFileSelect>()); }),
         46, 0, 0, objectA, 0, Conv::Bool},
        {"ChunkFile", op([](P& p) { return p.getChunkFile(objectA); }), 48, 0, 0, objectA, 0,
         Conv::Bool},
        {"InputArrangement", op([](P& p) { return p.getInputSpeakerArrangement(); }), 49, 0, 0,
         nullptr, 0, Conv::Pointer},
    };
}

class HostRequestTest : public testing::TestWithParam<RequestRow>
{
};

TEST_P(HostRequestTest, sendsItsArgumentsAndConvertsTheAnswer)
{
    const RequestRow& row = GetParam();
    FakeHost host;
    BasePlugin plugin(&FakeHost::callback);
    for (VstIntPtr answer : {VstIntPtr{0}, VstIntPtr{1}, VstIntPtr{-7}, VstIntPtr{0x1FFFFFFF9}})
    {
        host.requests.clear();
        host.answer = answer;
        EXPECT_EQ(row.call(plugin), converted(row.conv, answer)) << "answer " << answer;
        ASSERT_EQ(host.requests.size(), 1u);
        const Request& r = host.requests.front();
        EXPECT_EQ(r.effect, plugin.getAeffect());
        EXPECT_EQ(r.opcode, row.opcode);
        EXPECT_EQ(r.index, row.index);
        EXPECT_EQ(r.value, row.value);
        EXPECT_EQ(r.ptr, row.ptr);
        EXPECT_EQ(r.opt, row.opt);
    }
}

TEST_P(HostRequestTest, withoutHostAnswersItsDefault)
{
    const RequestRow& row = GetParam();
    BasePlugin plugin(nullptr);
    EXPECT_EQ(row.call(plugin), withoutHost(row.conv));
}

INSTANTIATE_TEST_SUITE_P(EveryRequest, HostRequestTest, testing::ValuesIn(requestRows()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HostRequests, nullRecordsAreNotSent)
{
    FakeHost host;
    host.answer = 1;
    BasePlugin plugin(&FakeHost::callback);
    EXPECT_FALSE(plugin.openFileSelector(nullptr));
    EXPECT_FALSE(plugin.closeFileSelector(nullptr));
    EXPECT_FALSE(plugin.getChunkFile(nullptr));
    EXPECT_TRUE(host.requests.empty());
}

TEST(HostRequests, automationStoresBeforeTellingTheHost)
{
    FakeHost host;
    Journal journal;
    ProbePlugin probe(journal, &FakeHost::callback);
    std::size_t callsWhenHostHeard = 0;
    host.onRequest = [&](const Request&) { callsWhenHostHeard = journal.calls.size(); };
    probe.setParameterAutomated(2, 0.5f);
    EXPECT_EQ(callsWhenHostHeard, 1u);
    EXPECT_EQ(journal.calls, (std::vector<Call>{Call{"setParameter", {2}, 0.5f}}));

    ProbePlugin alone(journal);
    journal.calls.clear();
    alone.setParameterAutomated(2, 0.5f);
    EXPECT_EQ(journal.calls, (std::vector<Call>{Call{"setParameter", {2}, 0.5f}}));
}

TEST(HostRequests, updateSampleRateStoresOnlyPositiveAnswers)
{
    FakeHost host;
    BasePlugin plugin(&FakeHost::callback);
    host.answer = 48000;
    EXPECT_EQ(plugin.updateSampleRate(), 48000.0);
    EXPECT_EQ(host.requests.back().opcode, audioMasterGetSampleRate);
    for (VstIntPtr bad : {VstIntPtr{0}, VstIntPtr{-5}, -(VstIntPtr{1} << 40)})
    {
        host.answer = bad;
        EXPECT_EQ(plugin.updateSampleRate(), 48000.0) << bad;
        EXPECT_EQ(plugin.getSampleRate(), 48000.0f);
    }
    BasePlugin alone(nullptr);
    EXPECT_EQ(alone.updateSampleRate(), 44100.0);
}

TEST(HostRequests, updateBlockSizeStoresOnlyPositiveLow32Bits)
{
    FakeHost host;
    BasePlugin plugin(&FakeHost::callback);
    host.answer = 512;
    EXPECT_EQ(plugin.updateBlockSize(), 512);
    EXPECT_EQ(host.requests.back().opcode, audioMasterGetBlockSize);
    host.answer = (VstIntPtr{1} << 32) + 256;
    EXPECT_EQ(plugin.updateBlockSize(), 256);
    for (VstIntPtr bad : {VstIntPtr{0}, VstIntPtr{-3}, VstIntPtr{1} << 32, VstIntPtr{0xFFFFFFFF}})
    {
        host.answer = bad;
        EXPECT_EQ(plugin.updateBlockSize(), 256) << bad;
    }
    BasePlugin alone(nullptr);
    EXPECT_EQ(alone.updateBlockSize(), 1024);
}

// resume asks for MIDI only for a synthesiser or a plug-in that answers exactly 1.
class MidiCanDo : public BasePlugin
{
public:
    MidiCanDo(audioMasterCallback host, VstInt32 answer) : BasePlugin(host), answer(answer) {}
    VstInt32 canDo(char* text) override
    {
        asked = text;
        return answer;
    }
    std::string asked;
    VstInt32 answer;
};

TEST(Resume, asksForMidiOnlyWhenTheEffectReceivesIt)
{
    struct Case
    {
        VstInt32 canDo;
        bool synth;
        bool wantsMidi;
    };
    for (const Case c : {Case{1, false, true}, Case{0, false, false}, Case{-1, false, false},
                         Case{2, false, false}, Case{-1, true, true}})
    {
        FakeHost host;
        MidiCanDo plugin(&FakeHost::callback, c.canDo);
        plugin.isSynth(c.synth);
        plugin.resume();
        if (!c.synth)
        {
            EXPECT_EQ(plugin.asked, "receiveVstMidiEvent");
        }
        if (c.wantsMidi)
        {
            ASSERT_EQ(host.requests.size(), 1u);
            EXPECT_EQ(host.requests[0].opcode, audioMasterWantMidi);
            EXPECT_EQ(host.requests[0].value, 1);
        }
        else
        {
            EXPECT_TRUE(host.requests.empty()) << "canDo " << c.canDo;
        }
    }
}

} // namespace
