#pragma once

// A small, well-behaved host for one VST 2.4 effect: loads the module, creates the instance
// through its exported entry exactly as a DAW does, and then talks to it only through its
// record. It answers the plug-in's requests as a host playing its transport: version 2400,
// time information with a real tempo and advancing positions, its own names, and 0 for
// everything it does not offer.

#include "plugin/VstInterface.h"
#include "tools/render/PluginModule.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qev::render
{

class PluginHost
{
public:
    // Creates one instance from the module. Anything that is not a two-in, two-out VST 2.4
    // effect throws Error, with the instance closed again. One thread at a time per instance;
    // instances of one module may run on different threads.
    explicit PluginHost(std::shared_ptr<const PluginModule> module);
    ~PluginHost(); // stops processing and closes the instance; the module goes with its last user
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    const AEffect& record() const { return *effect; }
    bool programsAreChunks() const { return (effect->flags & effFlagsProgramChunks) != 0; }

    std::string effectName();
    std::string vendorString();
    std::string productString();
    int vendorVersion();
    int vstVersion();

    int numParams() const { return effect->numParams; }
    std::string paramName(int index);
    float param(int index);
    void setParam(int index, float value);

    int numPrograms() const { return effect->numPrograms; }
    int program();
    void setProgram(int index);
    std::string programName(); // the current program's
    void setProgramName(const std::string& name);
    std::string programNameIndexed(int index);

    // The state chunk: the current program (preset) or the whole bank.
    std::vector<std::uint8_t> chunk(bool preset);
    void setChunk(const std::vector<std::uint8_t>& bytes, bool preset); // throws Error if refused

    // Processing. setSampleRate and setBlockSize only while stopped; process needs start().
    void setSampleRate(double rate);
    void setBlockSize(int frames);
    void setTempo(double bpm) { tempo = bpm; }
    void start(); // mains on
    void stop();  // mains off
    // One block of at most the block size. Time information follows the block: sample and
    // quarter-note positions advance by `frames` afterwards.
    void process(float* const inputs[2], float* const outputs[2], int frames);

private:
    static VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                              VstIntPtr value, void* ptr, float opt);
    VstIntPtr answer(VstInt32 opcode, void* ptr);
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    std::string text(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0);
    void release();

    std::shared_ptr<const PluginModule> module;
    std::string path;
    AEffect* effect = nullptr;
    bool running = false;
    double sampleRate = 44100.0;
    int blockSize = 512;
    double tempo = 120.0;
    long long position = 0; // sample frames processed since the start of the render
    VstTimeInfo timeInfo{};
};

} // namespace qev::render
