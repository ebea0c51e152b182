#pragma once

#include "tools/render/Tail.h"

#include <optional>
#include <string>
#include <vector>

namespace qev::render
{

struct Options
{
    // One input and `output`, or one or more inputs and `outputDir`. No input and an output:
    // the built-in demo. No output at all: nothing is rendered (--info, --list-programs, ...).
    std::vector<std::string> inputs;
    std::string output;
    std::string outputDir;
    std::optional<int> jobs; // workers of a batch; default: the processors this process may use
    TailSetting tail;
    std::string plugin; // empty: the module beside the executable
    std::optional<std::string> program;
    std::vector<std::string> params; // NAME=VALUE or INDEX=VALUE, in order
    double tempo = 120.0;
    int blockSize = 512;
    std::optional<int> sampleRate; // the demo's; a file renders at its own rate
    bool asFloat = false;
    bool info = false;
    bool listPrograms = false;
    std::string load;
    std::string save;
    bool quiet = false;
    std::optional<double> benchSeconds;
    bool help = false;
};

// The most workers a batch runs at once.
constexpr int kMaxJobs = 64;

// Parses argv; a mistake throws UsageError with a message naming the option.
Options parseCommandLine(const std::vector<std::string>& args);

const char* usageText();

} // namespace qev::render
