// A test host for the built module, as a DAW runs it: QEV-Phaser loaded through its entry, an
// audio thread processing blocks while the host's GUI thread (the caller's) drives the editor,
// and every host request recorded with the thread it came on. Used by the window tests and the
// editor benchmarks.
#pragma once

#include "plugin/VstInterface.h"
#include "tests/support/LoadedModule.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace editortest
{

using Clock = std::chrono::steady_clock;

struct HostRequest
{
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    float opt;
    std::thread::id thread;
    Clock::time_point when;
};

// Answers the plug-in as hosts do (version 2.4, gestures and automation accepted, no time
// information) and records every request. One is active at a time; any thread may call it.
class RecordingHost
{
public:
    RecordingHost() { active().store(this); }
    ~RecordingHost() { active().store(nullptr); }
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    static VstIntPtr VSTCALLBACK callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr, void*, float opt)
    {
        if (RecordingHost* host = active().load())
        {
            {
                std::lock_guard<std::mutex> lock(host->mutex);
                host->requests.push_back(
                    {effect, opcode, index, opt, std::this_thread::get_id(), Clock::now()});
            }
            if (opcode == audioMasterIdle)
                if (const std::function<void()>* work = host->onIdle.load())
                    (*work)();
        }
        switch (opcode)
        {
        case audioMasterVersion:
            return 2400;
        case audioMasterAutomate:
        case audioMasterBeginEdit:
        case audioMasterEndEdit:
            return 1;
        default:
            return 0;
        }
    }

    // The requests of this kind so far, in order (every kind for -1).
    std::vector<HostRequest> of(VstInt32 opcode) const
    {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<HostRequest> found;
        std::copy_if(requests.begin(), requests.end(), std::back_inserter(found),
                     [opcode](const HostRequest& r) { return opcode < 0 || r.opcode == opcode; });
        return found;
    }
    // Runs on the GUI thread whenever the plug-in asks for the host's idle; null for nothing.
    std::atomic<const std::function<void()>*> onIdle{nullptr};

    void clear()
    {
        std::lock_guard<std::mutex> lock(mutex);
        requests.clear();
    }

private:
    static std::atomic<RecordingHost*>& active()
    {
        static std::atomic<RecordingHost*> host{nullptr};
        return host;
    }

    mutable std::mutex mutex;
    std::vector<HostRequest> requests;
};

// One instance of the module's plug-in, opened and resumed at 48 kHz. Its audio thread, once
// started, processes a block of 64 frames about every millisecond until stopped or closed.
class HostedPlugin
{
public:
    using Entry = AEffect* (*)(audioMasterCallback);
    static constexpr int kBlock = 64;

    explicit HostedPlugin(const qev::test::LoadedModule& module)
    {
        const Entry entry = module.entry<Entry>("VSTPluginMain");
        effect = entry ? entry(&RecordingHost::callback) : nullptr;
        if (!effect)
            return;
        dispatch(effOpen);
        dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
        dispatch(effSetBlockSize, 0, kBlock);
        dispatch(effMainsChanged, 0, 1);
    }
    ~HostedPlugin() { close(); }
    HostedPlugin(const HostedPlugin&) = delete;
    HostedPlugin& operator=(const HostedPlugin&) = delete;

    // Stops the audio and closes the plug-in, as the host does when it removes it; the
    // instance is gone afterwards (effect null). Safe from inside the plug-in's requests.
    void close()
    {
        stopAudio();
        if (!effect)
            return;
        dispatch(effMainsChanged, 0, 0);
        dispatch(effClose);
        effect = nullptr;
    }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f)
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    void set(VstInt32 index, float value) { effect->setParameter(effect, index, value); }
    float get(VstInt32 index) { return effect->getParameter(effect, index); }

    void startAudio()
    {
        running.store(true);
        audio = std::thread([this] { audioLoop(); });
    }
    void stopAudio()
    {
        running.store(false);
        if (audio.joinable())
            audio.join();
    }
    std::thread::id audioThread() const { return audio.get_id(); }

    // Sets a parameter from the audio thread between two blocks, as a host's automation
    // playback does; returns once it is set.
    void automateFromAudio(VstInt32 index, float value)
    {
        automationIndex.store(index);
        automationValue.store(value);
        automationPending.store(true);
        while (automationPending.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    AEffect* effect = nullptr;

private:
    void audioLoop()
    {
        std::array<float, kBlock> inLeft{}, inRight{}, outLeft{}, outRight{};
        float* inputs[2] = {inLeft.data(), inRight.data()};
        float* outputs[2] = {outLeft.data(), outRight.data()};
        uint32_t noise = 1;
        while (running.load())
        {
            if (automationPending.load())
            {
                set(automationIndex.load(), automationValue.load());
                automationPending.store(false);
            }
            for (int i = 0; i < kBlock; ++i)
            {
                noise = noise * 1664525u + 1013904223u;
                inLeft[i] = inRight[i] = static_cast<float>(noise >> 8) / 16777216.0f - 0.5f;
            }
            effect->processReplacing(effect, inputs, outputs, kBlock);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    std::thread audio;
    std::atomic<bool> running{false};
    std::atomic<bool> automationPending{false};
    std::atomic<VstInt32> automationIndex{0};
    std::atomic<float> automationValue{0.0f};
};

} // namespace editortest
