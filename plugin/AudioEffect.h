#pragma once

// The first base class of every plug-in: the state each instance has (host callback, editor,
// sample rate, block size, program counts, the record handed to the host), the dispatcher for
// opcodes 0 to 24, a default for every virtual operation the dispatcher reaches, and the host
// requests of the first interface version.
//
// Threads: the host calls the dispatcher, setParameter and getParameter from its own threads
// and processReplacing from its audio thread. Nothing here locks; the members are plain fields
// that the host's configuration opcodes write while processing is suspended.
//
// Bad input: an opcode whose ptr argument the operation would read or write answers 0 and calls
// nothing when ptr is null (hosts probe with null pointers). Unknown opcodes answer 0.

#include "VstInterface.h"

class AEffEditor;

// The six entry functions stored in the record. Each reads the plug-in object from the record's
// `object` field and forwards the remaining arguments unchanged to its virtual operation.
// dispatchEffectClass additionally destroys the object on effClose and then answers 1. A null
// record, or a record without object, is ignored (answer 0).
VstIntPtr VSTCALLBACK dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt);
void VSTCALLBACK processClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames);
void VSTCALLBACK setParameterClass(AEffect* e, VstInt32 index, float value);
float VSTCALLBACK getParameterClass(AEffect* e, VstInt32 index);
void VSTCALLBACK processClassReplacing(AEffect* e, float** inputs, float** outputs,
                                       VstInt32 sampleFrames);
void VSTCALLBACK processClassDoubleReplacing(AEffect* e, double** inputs, double** outputs,
                                             VstInt32 sampleFrames);

class AudioEffect
{
public:
    // audioMaster may be null: every host request then answers its "no host" value.
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    // Deletes the editor.
    virtual ~AudioEffect();

    // Opcodes 0 to 24 (effOpen .. effSetChunk); every other opcode answers 0.
    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt);

    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}

    // Rate in hertz, stored as given.
    virtual void setSampleRate(float sampleRate);
    // Largest block in sample frames, stored as given.
    virtual void setBlockSize(VstInt32 blockSize);

    // Audio thread. inputs and outputs hold numInputs and numOutputs channel buffers of
    // sampleFrames samples each; the host may pass the same buffers for both.
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    virtual void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/,
                                        VstInt32 /*sampleFrames*/)
    {
    }

    // Parameter values are 0..1 by convention; the plug-in decides what an index means.
    virtual void setParameter(VstInt32 /*index*/, float /*value*/) {}
    virtual float getParameter(VstInt32 /*index*/) { return 0.0f; }
    // For changes the user makes in the editor: setParameter (through the virtual slot, so the
    // plug-in stores the value first), then tells the host for automation recording.
    virtual void setParameterAutomated(VstInt32 index, float value);

    virtual VstInt32 getProgram() { return curProgram; }
    // Makes program current; numbers outside 0 .. numPrograms-1 are ignored, so no later
    // lookup can index with them.
    virtual void setProgram(VstInt32 program);

    // Text buffers come from the host and are never null when reached through the dispatcher.
    // The base writes empty strings and ignores the name it is given.
    virtual void setProgramName(char* /*name*/) {}
    virtual void getProgramName(char* name);
    virtual void getParameterLabel(VstInt32 index, char* label);
    virtual void getParameterDisplay(VstInt32 index, char* text);
    virtual void getParameterName(VstInt32 index, char* text);

    // The plug-in's state as one block: getChunk points *data at it and answers its size in
    // bytes; setChunk restores it from byteSize bytes. isPreset: one program rather than the
    // bank. The base has no chunk and answers 0.
    virtual VstInt32 getChunk(void** /*data*/, bool /*isPreset*/ = false) { return 0; }
    virtual VstInt32 setChunk(void* /*data*/, VstInt32 /*byteSize*/, bool /*isPreset*/ = false)
    {
        return 0;
    }

    virtual void setUniqueID(VstInt32 id) { cEffect.uniqueID = id; }
    virtual void setNumInputs(VstInt32 inputs) { cEffect.numInputs = inputs; }
    virtual void setNumOutputs(VstInt32 outputs) { cEffect.numOutputs = outputs; }

    // Flag setters: true sets the bit, false clears it, every other bit stays.
    virtual void canProcessReplacing(bool state = true);
    virtual void canDoubleReplacing(bool state = true);
    virtual void programsAreChunks(bool state = true);

    // Latency in sample frames.
    virtual void setInitialDelay(VstInt32 delay) { cEffect.initialDelay = delay; }

    virtual AEffEditor* getEditor() { return editor; }
    virtual AEffect* getAeffect() { return &cEffect; }
    virtual float getSampleRate() { return sampleRate; }
    virtual VstInt32 getBlockSize() { return blockSize; }

    // The host's interface version; 1 when the host answers 0 or there is no host.
    virtual VstInt32 getMasterVersion();
    // The unique ID of the plug-in the host is loading (shell plug-ins); 0 without host.
    virtual VstInt32 getCurrentUniqueId();
    // Lets the host run its idle work, e.g. from a modal loop on the user-interface thread.
    virtual void masterIdle();

    // Display texts for parameter values, bounded by maxLen (text holds maxLen + 1 bytes).
    // value is a gain factor for dB2string, a length in samples for Hz2string and ms2string.
    virtual void dB2string(float value, char* text, VstInt32 maxLen);
    virtual void Hz2string(float samples, char* text, VstInt32 maxLen);
    virtual void ms2string(float samples, char* text, VstInt32 maxLen);
    virtual void float2string(float value, char* text, VstInt32 maxLen);
    virtual void int2string(VstInt32 value, char* text, VstInt32 maxLen);

    // The deprecated accumulating process; does nothing.
    virtual void process(float** /*inputs*/, float** /*outputs*/, VstInt32 /*sampleFrames*/) {}
    virtual float getVu() { return 0.0f; }
    virtual void hasVu(bool state = true);
    virtual void hasClip(bool state = true);
    virtual void canMono(bool state = true);
    virtual void setRealQualities(VstInt32 qualities) { cEffect.realQualities = qualities; }
    virtual void setOffQualities(VstInt32 qualities) { cEffect.offQualities = qualities; }

    // Whether the host has connected the pin; true when the host does not say otherwise.
    virtual bool isInputConnected(VstInt32 input);
    virtual bool isOutputConnected(VstInt32 output);

    // Takes ownership of the editor (a previous one is not deleted) and sets or clears
    // effFlagsHasEditor to match.
    void setEditor(AEffEditor* newEditor);

protected:
    // Sends one request to the host with this instance's record; 0 without host.
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    void setFlag(VstInt32 flag, bool state);

    audioMasterCallback audioMaster;
    AEffEditor* editor = nullptr;
    float sampleRate = 44100.0f;
    VstInt32 blockSize = 1024;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 curProgram = 0;
    AEffect cEffect;

private:
    VstIntPtr dispatchEditor(VstInt32 opcode, void* ptr);
};
