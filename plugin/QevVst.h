#pragma once

// The plug-in object a host drives: a two-in, two-out phaser with 23 parameters and a bank of
// 20 programs saved as a chunk.
//
// Threads: processReplacing runs on the host's audio thread; parameters, programs and chunks
// come from the host's other threads while audio runs. A parameter is one float written and
// read whole (a relaxed atomic in EngineParams), so no lock is needed. setSampleRate must not
// overlap processReplacing, which hosts guarantee by suspending first.

#include "engine/EngineParams.h"
#include "engine/StereoPhaser.h"
#include "plugin/AudioEffectX.h"
#include "plugin/ProgramRecord.h"

#include <memory>

class QevVstEditor;

class QevVst : public AudioEffectX
{
public:
    static constexpr VstInt32 kUniqueId = 0x6D386730; // 'm8g0'
    static constexpr float kDefaultTempo = 120.0f;

    explicit QevVst(audioMasterCallback audioMaster);
    ~QevVst() override;

    void resume() override;
    // Rates the engine's tables are not valid for (below 1250 Hz, above 1e9 Hz, NaN) are
    // ignored: the previous rate stays, in the base as in the engine.
    void setSampleRate(float sampleRate) override;
    // Reads every input of a frame before writing its outputs, so in-place buffers work.
    // Null buffers or a frame count below 1 process nothing.
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;

    // Index 0..22: stored in the current program and in the engine's parameters, unchanged
    // (no clamping), then handed to the editor (which only stores it: safe on the audio
    // thread); other indices are ignored.
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;

    void setProgram(VstInt32 program) override; // 0..19; others ignored
    void setProgramName(char* name) override;   // cut to 23 characters
    void getProgramName(char* name) override;   // "Init" gets the program number: "Init 5"
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;

    // Bank: 22720 bytes, preset: 1136 bytes; the memory stays valid until the next call.
    VstInt32 getChunk(void** data, bool isPreset) override;
    // Takes the first 1136 (preset) or 22720 (bank) bytes; a chunk stating fewer bytes than
    // that, or a null one, is refused (answer 0) and nothing changes.
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;

    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    VstInt32 processEvents(VstEvents* events) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override;
    VstInt32 canDo(char* text) override;
    VstInt32 getPlugCategory() override;

private:
    qev::ProgramRecord& currentProgram() { return programs[curProgram]; }

    // Created with the plug-in and owned by the base, which deletes it last.
    QevVstEditor* guiEditor = nullptr;
    std::unique_ptr<qev::StereoPhaser> engine;
    qev::EngineParams params;
    VstTimeInfo* timeInfo = nullptr;
    std::unique_ptr<qev::ProgramRecord[]> programs;
    std::unique_ptr<qev::ProgramRecord[]> chunkPrograms;
};
