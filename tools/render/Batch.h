#pragma once

// Many files through the plug-in at once. Each worker thread loads the module once and renders
// its share of the files one after another, each through a fresh instance given the same
// settings: a file's output never depends on the other files, their order or the number of
// workers, and is the same as when the file is rendered alone.

#include "tools/render/PluginState.h"
#include "tools/render/Progress.h"
#include "tools/render/Tail.h"

#include <string>
#include <vector>

namespace qev::render
{

struct BatchFile
{
    std::string input;
    std::string output;
};

// Each input goes to DIR under its own file name; with `asFloat` (float WAV) the name's
// extension becomes .wav. Two inputs of one name, or an output that is one of the inputs
// (through links too), throw UsageError; a DIR that is not an existing folder throws Error.
std::vector<BatchFile> planBatch(const std::vector<std::string>& inputs, const std::string& dir,
                                 bool asFloat);

struct BatchSetup
{
    std::string modulePath;
    HostSetup host;
    TailSetting tail;
    bool asFloat = false;
    int jobs = 1;
};

struct BatchResult
{
    int written = 0;
    int failed = 0;
    double audioSeconds = 0.0;
};

// Renders every file on min(jobs, files) worker threads. As each file finishes, its report
// (unless quiet) and any clipping warning, or its failure, go out through `progress`; a failing
// file does not stop the others. When interrupted, the workers stop between blocks, remove
// their unfinished outputs and start no further file; the files left are counted neither
// written nor failed.
BatchResult renderBatch(const std::vector<BatchFile>& files, const BatchSetup& setup,
                        Progress& progress);

// The frames a batch will render as far as they are known ahead: each readable input's length
// plus a fixed tail. For the progress bar.
long long expectedFrames(const std::vector<BatchFile>& files, const TailSetting& tail);

// Workers when --jobs is not given: the processors this process may run on, 1 to kMaxJobs.
int defaultJobs();

} // namespace qev::render
