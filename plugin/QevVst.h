#pragma once

// The plug-in object a host drives: a two-in, two-out phaser with 23 parameters and a bank of
// 20 programs saved as a chunk.
//
// Threads: processReplacing runs on the host's audio thread; parameters, programs and chunks
// come from the host's other threads while audio runs, several at once (a program menu, MIDI
// program changes, automation and an autosave).
// - The audio thread locks nothing and reads only atomics: the parameters (relaxed atomics in
//   EngineParams) and, between blocks, an engine handed over by setSampleRate.
// - setParameter and getParameter are lock-free and may come from any thread, the audio thread
//   included. While a program is current its values live in EngineParams; its record is brought
//   up to date when the program is left and whenever a chunk is taken, so a switch, a write and
//   a chunk read are each seen whole, in one order, by the others.
// - Programs, names and chunks take a small lock held only by the non-audio threads.
// - setSampleRate builds the new engine aside; the audio thread adopts it at its next block and
//   the old one is freed later on a non-audio thread. Hosts that suspend first see it at once.

#include "engine/EngineParams.h"
#include "engine/StereoPhaser.h"
#include "plugin/AudioEffectX.h"
#include "plugin/EngineHandover.h"
#include "plugin/ProgramRecord.h"
#include "plugin/SpinLock.h"

#include <atomic>
#include <memory>
#include <mutex> // std::lock_guard

class QevVstEditor;

class QevVst : public AudioEffectX
{
public:
    static constexpr VstInt32 kUniqueId = 0x6D386730; // 'm8g0'
    static constexpr float kDefaultTempo = 120.0f;

    explicit QevVst(audioMasterCallback audioMaster);
    ~QevVst() override;

    void suspend() override;
    void resume() override;
    // Rates the engine's tables are not valid for (below 1250 Hz, above 1e9 Hz, NaN) are
    // ignored: the previous rate stays, as it does when there is no memory for the new engine.
    // The engine for the new rate takes over at the start of the next processed block.
    void setSampleRate(float sampleRate) override;
    // Reads every input of a frame before writing its outputs, so in-place buffers work.
    // Null buffers or a frame count below 1 process nothing.
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;

    // Index 0..22: stored in the current program and in the engine's parameters, unchanged
    // (no clamping), then handed to the editor (which only stores it: safe on the audio
    // thread); other indices are ignored.
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;

    VstInt32 getProgram() override;
    void setProgram(VstInt32 program) override; // 0..19; others ignored
    void setProgramName(char* name) override;   // cut to 23 characters
    void getProgramName(char* name) override;   // "Init" gets the program number: "Init 5"
    // Labels are empty: no value has a unit. Displays are the value as the engine reads it
    // (formatParameterValue); an index outside 0..22 gets an empty text. Both write at most
    // kVstMaxParamStrLen bytes, terminator included.
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;

    // Bank: 22720 bytes, preset: 1136 bytes; the memory stays valid until the next call. Two
    // threads taking chunks at once share that memory: the later call rewrites it.
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
    // The bank lock is held by every caller of these.
    qev::ProgramRecord& currentProgram() { return programs[curProgram]; }
    void loadCurrentProgram();
    void storeCurrentProgram(qev::ProgramRecord& record);
    void makeCurrent(VstInt32 program);
    void showValuesInEditor();

    // Created with the plug-in and owned by the base, which deletes it last.
    QevVstEditor* guiEditor = nullptr;
    std::unique_ptr<qev::StereoPhaser> engine; // the audio thread's, but for construction
    qev::EngineHandover<qev::StereoPhaser> nextEngine;
    qev::EngineParams params;
    VstTimeInfo* timeInfo = nullptr;
    // Programs, names, chunks and the current program number; never taken by the audio thread.
    qev::SpinLock bankLock;
    std::atomic<VstInt32> programNumber{0}; // curProgram, for lock-free reading
    std::unique_ptr<qev::ProgramRecord[]> programs;
    std::unique_ptr<qev::ProgramRecord[]> chunkPrograms;
};
