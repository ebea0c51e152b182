#pragma once

// Test doubles for the host-interface tests: a recording host callback, a plug-in whose every
// dispatcher-reachable operation records its call and answers what the test says, a recording
// editor, and a plain plug-in that keeps every base default.

#include "plugin/AEffEditor.h"
#include "plugin/AudioEffectX.h"

#include <functional>
#include <initializer_list>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace probes
{

template <typename T> VstIntPtr bits(T* p)
{
    return reinterpret_cast<VstIntPtr>(p);
}

struct Call
{
    Call() = default;
    Call(std::string op, std::vector<VstIntPtr> args = {}, float f = 0.0f)
        : op(std::move(op)), args(std::move(args)), f(f)
    {
    }
    std::string op;
    std::vector<VstIntPtr> args;
    float f = 0.0f;
    bool operator==(const Call& o) const { return op == o.op && args == o.args && f == o.f; }
};

inline std::ostream& operator<<(std::ostream& os, const Call& c)
{
    os << c.op << "(";
    for (VstIntPtr a : c.args)
        os << a << ",";
    return os << " f=" << c.f << ")";
}

// What the probes did, kept outside them so that it outlives an object destroyed by effClose.
struct Journal
{
    std::vector<Call> calls;
    VstIntPtr answer = 0; // what every probed operation answers, narrowed to its result type
    void log(const char* op, std::initializer_list<VstIntPtr> args = {}, float f = 0.0f)
    {
        calls.push_back({op, args, f});
    }
};

struct Request
{
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

// The host side: records every request and answers `answer`. One host is active at a time.
class FakeHost
{
public:
    FakeHost() { active = this; }
    ~FakeHost() { active = nullptr; }
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    static VstIntPtr VSTCALLBACK callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt)
    {
        FakeHost& host = *active;
        host.requests.push_back({effect, opcode, index, value, ptr, opt});
        if (host.onRequest)
            host.onRequest(host.requests.back());
        return host.answer;
    }

    std::vector<Request> requests;
    VstIntPtr answer = 0;
    std::function<void(const Request&)> onRequest;

private:
    static inline FakeHost* active = nullptr;
};

class ProbeEditor : public AEffEditor
{
public:
    ProbeEditor(AudioEffect* effect, Journal& journal) : AEffEditor(effect), journal(journal) {}
    ~ProbeEditor() override { journal.log("~editor"); }

    bool getRect(ERect** rect) override { return answer("editor.getRect", {bits(rect)}); }
    bool open(void* ptr) override { return answer("editor.open", {bits(ptr)}); }
    void close() override { journal.log("editor.close"); }
    void idle() override { journal.log("editor.idle"); }
    bool onKeyDown(VstKeyCode& k) override { return answer("editor.onKeyDown", key(k)); }
    bool onKeyUp(VstKeyCode& k) override { return answer("editor.onKeyUp", key(k)); }
    bool setKnobMode(VstInt32 mode) override { return answer("editor.setKnobMode", {mode}); }

private:
    bool answer(const char* op, std::vector<VstIntPtr> args)
    {
        journal.calls.push_back({op, std::move(args), 0.0f});
        return journal.answer != 0;
    }
    static std::vector<VstIntPtr> key(VstKeyCode& k) { return {k.character, k.virt, k.modifier}; }

    Journal& journal;
};

// Every operation the dispatcher or the record's entry functions reach, recorded.
class ProbePlugin : public AudioEffectX
{
public:
    ProbePlugin(Journal& journal, audioMasterCallback host = nullptr, VstInt32 programs = 20,
                VstInt32 params = 23)
        : AudioEffectX(host, programs, params), j(journal)
    {
    }
    ~ProbePlugin() override { j.log("~plugin"); }

    using AudioEffect::blockSize;
    using AudioEffect::curProgram;
    using AudioEffect::sampleRate;

    // AudioEffect
    void open() override { j.log("open"); }
    void close() override { j.log("close"); }
    void suspend() override { j.log("suspend"); }
    void resume() override { j.log("resume"); }
    void setSampleRate(float r) override { j.log("setSampleRate", {}, r); }
    void setBlockSize(VstInt32 n) override { j.log("setBlockSize", {n}); }
    void processReplacing(float** in, float** out, VstInt32 n) override
    {
        j.log("processReplacing", {bits(in), bits(out), n});
    }
    void processDoubleReplacing(double** in, double** out, VstInt32 n) override
    {
        j.log("processDoubleReplacing", {bits(in), bits(out), n});
    }
    void process(float** in, float** out, VstInt32 n) override
    {
        j.log("process", {bits(in), bits(out), n});
    }
    void setParameter(VstInt32 i, float v) override { j.log("setParameter", {i}, v); }
    float getParameter(VstInt32 i) override
    {
        j.log("getParameter", {i});
        return 0.75f;
    }
    VstInt32 getProgram() override { return i32("getProgram", {}); }
    void setProgram(VstInt32 p) override { j.log("setProgram", {p}); }
    void setProgramName(char* t) override { j.log("setProgramName", {bits(t)}); }
    void getProgramName(char* t) override { j.log("getProgramName", {bits(t)}); }
    void getParameterLabel(VstInt32 i, char* t) override { j.log("getParamLabel", {i, bits(t)}); }
    void getParameterDisplay(VstInt32 i, char* t) override
    {
        j.log("getParamDisplay", {i, bits(t)});
    }
    void getParameterName(VstInt32 i, char* t) override { j.log("getParamName", {i, bits(t)}); }
    VstInt32 getChunk(void** d, bool preset) override { return i32("getChunk", {bits(d), preset}); }
    VstInt32 setChunk(void* d, VstInt32 n, bool preset) override
    {
        return i32("setChunk", {bits(d), n, preset});
    }

    // AudioEffectX
    VstInt32 processEvents(VstEvents* e) override { return i32("processEvents", {bits(e)}); }
    bool canParameterBeAutomated(VstInt32 i) override { return yes("canBeAutomated", {i}); }
    bool string2parameter(VstInt32 i, char* t) override
    {
        return yes("string2parameter", {i, bits(t)});
    }
    bool getProgramNameIndexed(VstInt32 c, VstInt32 i, char* t) override
    {
        return yes("getProgramNameIndexed", {c, i, bits(t)});
    }
    bool getInputProperties(VstInt32 i, VstPinProperties* p) override
    {
        return yes("getInputProperties", {i, bits(p)});
    }
    bool getOutputProperties(VstInt32 i, VstPinProperties* p) override
    {
        return yes("getOutputProperties", {i, bits(p)});
    }
    VstInt32 getPlugCategory() override { return i32("getPlugCategory", {}); }
    bool offlineNotify(VstAudioFile* f, VstInt32 n, bool start) override
    {
        return yes("offlineNotify", {bits(f), n, start});
    }
    bool offlinePrepare(VstOfflineTask* t, VstInt32 n) override
    {
        return yes("offlinePrepare", {bits(t), n});
    }
    bool offlineRun(VstOfflineTask* t, VstInt32 n) override
    {
        return yes("offlineRun", {bits(t), n});
    }
    bool processVariableIo(VstVariableIo* v) override { return yes("processVarIo", {bits(v)}); }
    bool setSpeakerArrangement(VstSpeakerArrangement* in, VstSpeakerArrangement* out) override
    {
        return yes("setSpeakerArrangement", {bits(in), bits(out)});
    }
    bool setBypass(bool on) override { return yes("setBypass", {on}); }
    bool getEffectName(char* t) override { return yes("getEffectName", {bits(t)}); }
    bool getVendorString(char* t) override { return yes("getVendorString", {bits(t)}); }
    bool getProductString(char* t) override { return yes("getProductString", {bits(t)}); }
    VstInt32 getVendorVersion() override { return i32("getVendorVersion", {}); }
    VstIntPtr vendorSpecific(VstInt32 i, VstIntPtr v, void* p, float f) override
    {
        j.log("vendorSpecific", {i, v, bits(p)}, f);
        return j.answer;
    }
    VstInt32 canDo(char* t) override { return i32("canDo", {bits(t)}); }
    VstInt32 getGetTailSize() override { return i32("getTailSize", {}); }
    bool getParameterProperties(VstInt32 i, VstParameterProperties* p) override
    {
        return yes("getParameterProperties", {i, bits(p)});
    }
    VstInt32 getVstVersion() override { return i32("getVstVersion", {}); }
    VstInt32 getMidiProgramName(VstInt32 c, MidiProgramName* p) override
    {
        return i32("getMidiProgramName", {c, bits(p)});
    }
    VstInt32 getCurrentMidiProgram(VstInt32 c, MidiProgramName* p) override
    {
        return i32("getCurrentMidiProgram", {c, bits(p)});
    }
    VstInt32 getMidiProgramCategory(VstInt32 c, MidiProgramCategory* p) override
    {
        return i32("getMidiProgramCategory", {c, bits(p)});
    }
    bool hasMidiProgramsChanged(VstInt32 c) override { return yes("hasMidiProgramsChanged", {c}); }
    bool getMidiKeyName(VstInt32 c, MidiKeyName* k) override
    {
        return yes("getMidiKeyName", {c, bits(k)});
    }
    bool beginSetProgram() override { return yes("beginSetProgram", {}); }
    bool endSetProgram() override { return yes("endSetProgram", {}); }
    bool getSpeakerArrangement(VstSpeakerArrangement** in, VstSpeakerArrangement** out) override
    {
        return yes("getSpeakerArrangement", {bits(in), bits(out)});
    }
    VstInt32 getNextShellPlugin(char* t) override { return i32("getNextShellPlugin", {bits(t)}); }
    VstInt32 startProcess() override { return i32("startProcess", {}); }
    VstInt32 stopProcess() override { return i32("stopProcess", {}); }
    VstInt32 setTotalSampleToProcess(VstInt32 v) override
    {
        return i32("setTotalSampleToProcess", {v});
    }
    bool setPanLaw(VstInt32 type, float v) override { return yes("setPanLaw", {type}, v); }
    VstInt32 beginLoadBank(VstPatchChunkInfo* p) override
    {
        return i32("beginLoadBank", {bits(p)});
    }
    VstInt32 beginLoadProgram(VstPatchChunkInfo* p) override
    {
        return i32("beginLoadProgram", {bits(p)});
    }
    bool setProcessPrecision(VstInt32 p) override { return yes("setProcessPrecision", {p}); }
    VstInt32 getNumMidiInputChannels() override { return i32("getNumMidiInputChannels", {}); }
    VstInt32 getNumMidiOutputChannels() override { return i32("getNumMidiOutputChannels", {}); }

private:
    VstInt32 i32(const char* op, std::initializer_list<VstIntPtr> args)
    {
        j.log(op, args);
        return static_cast<VstInt32>(j.answer);
    }
    bool yes(const char* op, std::initializer_list<VstIntPtr> args, float f = 0.0f)
    {
        j.log(op, args, f);
        return j.answer != 0;
    }

    Journal& j;
};

// A plug-in that keeps every base default; members exposed for inspection.
class BasePlugin : public AudioEffectX
{
public:
    explicit BasePlugin(audioMasterCallback host = nullptr, VstInt32 programs = 20,
                        VstInt32 params = 23)
        : AudioEffectX(host, programs, params)
    {
    }
    void processReplacing(float**, float**, VstInt32) override {}

    using AudioEffect::blockSize;
    using AudioEffect::cEffect;
    using AudioEffect::curProgram;
    using AudioEffect::editor;
    using AudioEffect::sampleRate;
};

} // namespace probes
