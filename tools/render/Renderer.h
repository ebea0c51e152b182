#pragma once

#include "tools/render/AudioFile.h"
#include "tools/render/PluginHost.h"
#include "tools/render/Progress.h"
#include "tools/render/Source.h"

#include <iosfwd>

namespace qev::render
{

// Runs the whole of `source` through the plug-in, block by block, into `sink` (stereo,
// interleaved). The host must be configured but not yet started; it is stopped afterwards.
// Answers the number of frames rendered.
long long render(PluginHost& host, Source& source, int blockSize, AudioWriter& sink,
                 Progress& progress);

// Times `seconds` of noise through the plug-in with its parameter "TYPE" set to 0, 1 and 2
// (or once with the current settings, when it has no such parameter), without file I/O, and
// prints nanoseconds per stereo frame and the real-time factor for each.
void bench(PluginHost& host, double seconds, int sampleRate, int blockSize, std::ostream& out);

} // namespace qev::render
