#pragma once

// A minimal host for tests: loads the built module as a host does, calls its entry with a
// callback that answers version 2400 and, when asked to, a time record, and counts every
// request it receives.

#include "plugin/VstInterface.h"
#include "tests/support/LoadedModule.h"

#include <atomic>
#include <string>

#ifndef QEV_MODULE_PATH
#error "QEV_MODULE_PATH names the module under test"
#endif

struct HostAnswers
{
    VstIntPtr version = 2400;
    bool giveTimeInfo = false;
    double tempo = 120.0;
};

class ModuleHost
{
public:
    explicit ModuleHost(HostAnswers answers = {})
        : answers(answers), entry(module.entry<Entry>("VSTPluginMain"))
    {
        current() = this;
    }
    ~ModuleHost()
    {
        closeEffect();
        current() = nullptr;
    }
    ModuleHost(const ModuleHost&) = delete;
    ModuleHost& operator=(const ModuleHost&) = delete;

    AEffect* open()
    {
        effect = entry ? entry(&ModuleHost::callback) : nullptr;
        return effect;
    }
    void closeEffect()
    {
        if (effect)
            effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
        effect = nullptr;
    }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f)
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    std::string programName()
    {
        char text[64] = {};
        dispatch(effGetProgramName, 0, 0, text);
        return text;
    }

    bool loaded() const { return module.loaded(); }
    const std::string& loadError() const { return module.error(); }

    AEffect* effect = nullptr;
    HostAnswers answers;
    VstTimeInfo timeInfo{};
    std::atomic<int> requests{0};
    std::atomic<int> timeRequests{0};
    std::atomic<VstIntPtr> lastTimeFilter{0};
    // Gestures and automation the plug-in reported, from any thread.
    std::atomic<int> beginEdits{0};
    std::atomic<int> endEdits{0};
    std::atomic<int> automations{0};

private:
    using Entry = AEffect*(VSTCALLBACK*)(audioMasterCallback);
    qev::test::LoadedModule module{QEV_MODULE_PATH};
    Entry entry = nullptr;

    static ModuleHost*& current()
    {
        static ModuleHost* host = nullptr;
        return host;
    }

    static VstIntPtr VSTCALLBACK callback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr value,
                                          void*, float)
    {
        ModuleHost* host = current();
        if (!host)
            return 0;
        ++host->requests;
        switch (opcode)
        {
        case audioMasterVersion:
            return host->answers.version;
        case audioMasterGetTime:
            ++host->timeRequests;
            host->lastTimeFilter = value;
            if (!host->answers.giveTimeInfo)
                return 0;
            host->timeInfo.tempo = host->answers.tempo;
            host->timeInfo.sampleRate = 44100.0;
            host->timeInfo.flags = kVstTempoValid | kVstTransportPlaying;
            return reinterpret_cast<VstIntPtr>(&host->timeInfo);
        case audioMasterBeginEdit:
            ++host->beginEdits;
            return 1;
        case audioMasterEndEdit:
            ++host->endEdits;
            return 1;
        case audioMasterAutomate:
            ++host->automations;
            return 1;
        default:
            return 0;
        }
    }
};
