#pragma once

#include "tools/render/AudioFile.h"
#include "tools/render/LevelMeter.h"
#include "tools/render/PluginHost.h"
#include "tools/render/Progress.h"
#include "tools/render/Source.h"
#include "tools/render/Tail.h"

#include <iosfwd>

namespace qev::render
{

struct RenderResult
{
    long long inputFrames = 0;
    long long frames = 0; // written: the input's length plus the tail
    long long tailFrames() const { return frames - inputFrames; }
    LevelMeter input;  // what the plug-in was fed from the source, both channels
    LevelMeter output; // what was written, both channels, the tail included
};

// Runs the whole of `source` through the plug-in, block by block, then the tail, into `sink`
// (stereo, interleaved). The host must be configured but not yet started; it is stopped
// afterwards. The input's blocks are the same with or without a tail, so the output's first
// input-length frames are too. Stops with Error when interrupted (see Signals.h).
RenderResult render(PluginHost& host, Source& source, int blockSize, const TailSetting& tail,
                    AudioWriter& sink, Progress& progress);

// Times `seconds` of noise through the plug-in with its parameter "TYPE" set to 0, 1 and 2
// (or once with the current settings, when it has no such parameter), without file I/O, and
// prints nanoseconds per stereo frame and the real-time factor for each.
void bench(PluginHost& host, double seconds, int sampleRate, int blockSize, std::ostream& out);

} // namespace qev::render
