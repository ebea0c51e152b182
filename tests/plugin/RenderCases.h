// The renders that the Windows and the Linux module must answer with the same bits: every
// program, several sample rates and host tempos (and a host without time information), every
// synced LFO rate, block patterns including empty and single-frame blocks, separate and in-place
// buffers, automation between blocks and a sample-rate change while suspended. Input and
// automation come from an integer generator, so both systems feed the plug-in the same bits.
#pragma once

#include "plugin/VstInterface.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qev::test
{

enum class BlockPattern
{
    Fixed512,  // 512 frames per call
    Irregular, // a repeating mix of lengths from 0 to 1024 frames
    Single,    // one frame per call
};

struct RenderCase
{
    std::string name; // says what the case varies, for failure messages
    int program = 0;
    float sampleRate = 44100.0f;
    double tempo = 120.0; // beats per minute the host reports; 0: no time information
    int syncSpeed = -1;   // SYNC_SPEED set after the program; -1 leaves the program's
    BlockPattern pattern = BlockPattern::Fixed512;
    bool inPlace = false;     // outputs written over the inputs
    bool automate = false;    // parameters changed between blocks, seeded
    float changedRate = 0.0f; // > 0: suspended half-way, rate changed to this, resumed
    int frames = 0;
};

const std::vector<RenderCase>& renderCases();

// The cases' total length in floats: two per frame.
size_t renderedFloatCount();

using PluginEntry = AEffect*(VSTCALLBACK*)(audioMasterCallback);

// Runs one case on a fresh instance made through the entry and closes it again. The output is
// interleaved left and right, two floats a frame; empty when the entry gives no instance. One
// render at a time per process: the host callback keeps the case's tempo in a global.
std::vector<float> renderCase(PluginEntry entry, const RenderCase& renderCase);

// The file both renders are exchanged in: "QEVR", the case count and the float count as 32-bit
// little-endian integers, then every case's output in order as raw 32-bit floats.
bool writeRenders(const std::string& path, PluginEntry entry);
// The floats of such a file; empty when it is missing, short, or made for other cases.
std::vector<float> readRenders(const std::string& path);

} // namespace qev::test
