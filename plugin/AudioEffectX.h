#pragma once

// The second base class of every plug-in: the interface's extensions. It adds no data; it
// handles opcodes 25 to 79 and passes every other opcode to AudioEffect's dispatcher, gives each
// extension operation its default, and wraps the remaining host requests.
//
// Conventions of the host requests: each sends this instance's record first; without a host
// callback no request is made and the operation answers its "no host" value (false, 0 or null).
// A bool answer is true when the host's answer is non-zero; an int32 answer is the low 32 bits
// of the host's answer.
//
// Bad input: opcodes whose pointer arguments the operation reads or writes answer 0 and call
// nothing when a pointer is null. Four operations are called with whatever pointers the host
// sent, null included, because their answer does not need them: processEvents, canDo,
// getCurrentMidiProgram and getSpeakerArrangement; an override must check before it reads.
// Threads as for AudioEffect; getTimeInfo is called on the audio thread.

#include "AudioEffect.h"

class AudioEffectX : public AudioEffect
{
public:
    AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);

    // Opcodes 25 to 79; everything else goes to AudioEffect::dispatcher.
    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                         float opt) override;
    // Asks the host for MIDI events when this is a synthesiser or canDo("receiveVstMidiEvent")
    // answers exactly 1.
    void resume() override;

    virtual bool canParameterBeAutomated(VstInt32 /*index*/) { return true; }
    // Sets the parameter from a text; true when the text was understood. text is never null.
    virtual bool string2parameter(VstInt32 /*index*/, char* /*text*/) { return false; }
    virtual bool getParameterProperties(VstInt32 /*index*/, VstParameterProperties* /*p*/)
    {
        return false;
    }

    // The start and end of a user gesture on a parameter, for the host's automation recording.
    virtual bool beginEdit(VstInt32 index);
    virtual bool endEdit(VstInt32 index);

    // The name of program `index` without making it current.
    virtual bool getProgramNameIndexed(VstInt32 /*category*/, VstInt32 /*index*/, char* /*text*/)
    {
        return false;
    }

    // Around a program change, and before a bank or program file is loaded.
    virtual bool beginSetProgram() { return false; }
    virtual bool endSetProgram() { return false; }
    virtual VstInt32 beginLoadBank(VstPatchChunkInfo* /*info*/) { return 0; }
    virtual VstInt32 beginLoadProgram(VstPatchChunkInfo* /*info*/) { return 0; }

    // Tells the host that inputs, outputs, latency or the initial delay changed.
    virtual bool ioChanged();

    // Fetches the host's rate (hertz); a positive answer is stored. Returns the stored rate,
    // the previous one when the host gives none.
    virtual double updateSampleRate();
    // Fetches the host's largest block (frames); a positive answer is stored. Returns it.
    virtual VstInt32 updateBlockSize();

    // Latencies in sample frames.
    virtual VstInt32 getInputLatency();
    virtual VstInt32 getOutputLatency();

    virtual bool getInputProperties(VstInt32 /*index*/, VstPinProperties* /*properties*/)
    {
        return false;
    }
    virtual bool getOutputProperties(VstInt32 /*index*/, VstPinProperties* /*properties*/)
    {
        return false;
    }

    // true when the plug-in accepts the arrangements.
    virtual bool setSpeakerArrangement(VstSpeakerArrangement* /*pluginInput*/,
                                       VstSpeakerArrangement* /*pluginOutput*/)
    {
        return false;
    }
    // Points both at the plug-in's arrangements; the base has none and sets both to null.
    // Either pointer may be null.
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                                       VstSpeakerArrangement** pluginOutput);

    virtual bool setBypass(bool /*onOff*/) { return false; }
    virtual bool setPanLaw(VstInt32 /*type*/, float /*value*/) { return false; }
    virtual bool setProcessPrecision(VstInt32 /*precision*/) { return false; }
    virtual VstInt32 getNumMidiInputChannels() { return 0; }
    virtual VstInt32 getNumMidiOutputChannels() { return 0; }

    // The host's time information with at least the fields asked for in filter (kVstXxxValid
    // bits) valid, or null. The record belongs to the host and is valid during this block.
    virtual VstTimeInfo* getTimeInfo(VstInt32 filter);
    virtual VstInt32 getCurrentProcessLevel();
    virtual VstInt32 getAutomationState();

    // Events for the next block; the answer is the plug-in's to give. events may be null.
    virtual VstInt32 processEvents(VstEvents* /*events*/) { return 0; }

    virtual VstInt32 startProcess() { return 0; }
    virtual VstInt32 stopProcess() { return 0; }
    virtual bool processVariableIo(VstVariableIo* /*varIo*/) { return false; }
    // Offline processing: the number of samples to come. Answers value.
    virtual VstInt32 setTotalSampleToProcess(VstInt32 value) { return value; }

    // Host identification, written into text by the host.
    virtual bool getHostVendorString(char* text);
    virtual bool getHostProductString(char* text);
    virtual VstInt32 getHostVendorVersion();
    virtual VstIntPtr hostVendorSpecific(VstInt32 arg1, VstIntPtr arg2, void* ptrArg,
                                         float floatArg);
    // 1 when the host answers yes to the capability text, else 0.
    virtual VstInt32 canHostDo(char* text);
    virtual VstInt32 getHostLanguage();

    virtual void isSynth(bool state = true);
    virtual void noTail(bool state = true);
    virtual VstInt32 getGetTailSize() { return 0; }
    virtual void* getDirectory();

    // Identification for the host, written into the host's text buffer; true when written.
    virtual bool getEffectName(char* /*name*/) { return false; }
    virtual bool getVendorString(char* /*text*/) { return false; }
    virtual bool getProductString(char* /*text*/) { return false; }
    virtual VstInt32 getVendorVersion() { return 0; }
    virtual VstIntPtr vendorSpecific(VstInt32 /*index*/, VstIntPtr /*value*/, void* /*ptr*/,
                                     float /*opt*/)
    {
        return 0;
    }
    // 1 yes, -1 no, 0 don't know, for a capability text (a terminated string, or null).
    virtual VstInt32 canDo(char* /*text*/) { return 0; }
    virtual VstInt32 getVstVersion() { return kVstVersion; }
    virtual VstInt32 getPlugCategory();

    virtual VstInt32 getMidiProgramName(VstInt32 /*channel*/, MidiProgramName* /*midiProgramName*/)
    {
        return 0;
    }
    // The current MIDI program of channel, or -1 when the plug-in has none. currentProgram may
    // be null.
    virtual VstInt32 getCurrentMidiProgram(VstInt32 /*channel*/,
                                           MidiProgramName* /*currentProgram*/)
    {
        return -1;
    }
    virtual VstInt32 getMidiProgramCategory(VstInt32 /*channel*/, MidiProgramCategory* /*category*/)
    {
        return 0;
    }
    virtual bool hasMidiProgramsChanged(VstInt32 /*channel*/) { return false; }
    virtual bool getMidiKeyName(VstInt32 /*channel*/, MidiKeyName* /*keyName*/) { return false; }

    // Asks the host to re-read names and values shown for this plug-in.
    virtual bool updateDisplay();
    // Asks the host to resize the editor window to width x height pixels.
    virtual bool sizeWindow(VstInt32 width, VstInt32 height);

    // Not sent for a null record; false then.
    virtual bool openFileSelector(VstFileSelect* fileSelect);
    virtual bool closeFileSelector(VstFileSelect* fileSelect);

    // Shell plug-ins: the next sub-plug-in's name and unique ID; 0 when there is none.
    virtual VstInt32 getNextShellPlugin(char* /*name*/) { return 0; }

    // Speaker-arrangement tools. An allocated arrangement is one zero-filled block of the
    // header and `channels` speakers, released with deallocateArrangement.
    // Frees *arrangement if set, then allocates for channels; false (and *arrangement null)
    // when channels is negative or the allocation fails, or when arrangement is null.
    virtual bool allocateArrangement(VstSpeakerArrangement** arrangement, VstInt32 channels);
    // Frees *arrangement if set and nulls it; true (a null arrangement is left alone).
    virtual bool deallocateArrangement(VstSpeakerArrangement** arrangement);
    // Copies one speaker (name at most 63 characters, always terminated); false for null.
    virtual bool copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from);
    // Replaces *to by a copy of from; false when either is null or allocation fails.
    virtual bool matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from);

    virtual bool offlineRead(VstOfflineTask* offline, VstInt32 option, bool readSource = true);
    virtual bool offlineWrite(VstOfflineTask* offline, VstInt32 option);
    virtual bool offlineStart(VstAudioFile* ptr, VstInt32 numAudioFiles, VstInt32 numNewAudioFiles);
    // 1 when the host reports a pass in progress, else 0.
    virtual VstInt32 offlineGetCurrentPass();
    virtual VstInt32 offlineGetCurrentMetaPass();
    virtual bool offlineNotify(VstAudioFile* /*ptr*/, VstInt32 /*numAudioFiles*/, bool /*start*/)
    {
        return false;
    }
    virtual bool offlinePrepare(VstOfflineTask* /*offline*/, VstInt32 /*count*/) { return false; }
    virtual bool offlineRun(VstOfflineTask* /*offline*/, VstInt32 /*count*/) { return false; }
    virtual VstInt32 offlineGetNumPasses() { return 0; }
    virtual VstInt32 offlineGetNumMetaPasses() { return 0; }

    // Asks the host for MIDI events (filter 1).
    virtual void wantEvents(VstInt32 filter = 1);
    virtual VstInt32 tempoAt(VstInt32 pos);
    virtual VstInt32 getNumAutomatableParameters();
    virtual VstInt32 getParameterQuantization();
    virtual VstInt32 getNumCategories() { return 1; }
    virtual bool copyProgram(VstInt32 /*destination*/) { return false; }
    virtual bool needIdle();
    // Plug-ins chained before or after this one; n is not passed to the host.
    virtual AEffect* getPreviousPlug(VstInt32 input);
    virtual AEffect* getNextPlug(VstInt32 output);
    virtual void inputConnected(VstInt32 /*index*/, bool /*state*/) {}
    virtual void outputConnected(VstInt32 /*index*/, bool /*state*/) {}
    virtual VstInt32 willProcessReplacing();
    virtual void wantAsyncOperation(bool state = true);
    virtual void hasExternalBuffer(bool state = true);
    virtual VstInt32 reportCurrentPosition() { return 0; }
    virtual float* reportDestinationBuffer() { return nullptr; }
    virtual void setOutputSamplerate(float samplerate);
    virtual VstSpeakerArrangement* getInputSpeakerArrangement();
    virtual VstSpeakerArrangement* getOutputSpeakerArrangement();
    virtual void* openWindow(VstWindow* window);
    virtual bool closeWindow(VstWindow* window);
    virtual void setBlockSizeAndSampleRate(VstInt32 newBlockSize, float newSampleRate);
    virtual bool getErrorText(char* /*text*/) { return false; }
    virtual void* getIcon() { return nullptr; }
    virtual bool setViewPosition(VstInt32 /*x*/, VstInt32 /*y*/) { return false; }
    virtual VstInt32 fxIdle() { return 0; }
    virtual bool keysRequired() { return false; }
    // Not sent for a null path; false then.
    virtual bool getChunkFile(void* nativePath);

private:
    VstIntPtr dispatchEditorKeys(VstInt32 opcode, VstInt32 index, VstIntPtr value, float opt);
};
