#include "tools/render/CommandLine.h"

#include "tools/render/Error.h"
#include "tools/render/Numbers.h"

#include <sstream>

namespace qev::render
{

namespace
{

constexpr int kMaxBlock = 65536;
constexpr int kMinRate = 8000;
constexpr int kMaxRate = 384000;
constexpr double kMaxTailSeconds = 3600.0;

class Arguments
{
public:
    explicit Arguments(const std::vector<std::string>& args) : args(args) {}
    bool done() const { return at >= args.size(); }
    const std::string& next() { return args[at++]; }
    const std::string& valueOf(const std::string& option)
    {
        if (done())
            throw UsageError(option + " needs a value");
        return next();
    }

private:
    const std::vector<std::string>& args;
    std::size_t at = 0;
};

double number(const std::string& option, const std::string& text, double low, double high)
{
    double value = 0.0;
    if (!parseDouble(text, value) || value < low || value > high)
    {
        std::ostringstream message;
        message << "bad number for " << option << ": \"" << text << "\" (expected " << low << " to "
                << high << ")";
        throw UsageError(message.str());
    }
    return value;
}

int whole(const std::string& option, const std::string& text, int low, int high)
{
    int value = 0;
    if (!parseIndex(text, value) || value < low || value > high)
        throw UsageError("bad number for " + option + ": \"" + text +
                         "\" (expected a whole number " + std::to_string(low) + " to " +
                         std::to_string(high) + ")");
    return value;
}

TailSetting tailSetting(const std::string& option, const std::string& text)
{
    if (text == "auto")
        return {TailSetting::Mode::Auto, 0.0};
    double seconds = 0.0;
    if (!parseDouble(text, seconds) || seconds < 0.0 || seconds > kMaxTailSeconds)
        throw UsageError("bad value for " + option + ": \"" + text +
                         "\" (expected auto or seconds, 0 to 3600)");
    return {seconds > 0.0 ? TailSetting::Mode::Fixed : TailSetting::Mode::None, seconds};
}

} // namespace

Options parseCommandLine(const std::vector<std::string>& args)
{
    Options options;
    std::vector<std::string> positional;
    Arguments in(args);
    bool optionsEnded = false;
    while (!in.done())
    {
        const std::string& arg = in.next();
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-")
        {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--")
            optionsEnded = true;
        else if (arg == "--help" || arg == "-h")
            options.help = true;
        else if (arg == "--plugin")
            options.plugin = in.valueOf(arg);
        else if (arg == "--program")
            options.program = in.valueOf(arg);
        else if (arg == "--param")
            options.params.push_back(in.valueOf(arg));
        else if (arg == "--tempo")
            options.tempo = number(arg, in.valueOf(arg), 1.0, 999.0);
        else if (arg == "--block")
            options.blockSize = whole(arg, in.valueOf(arg), 1, kMaxBlock);
        else if (arg == "--sample-rate")
            options.sampleRate = whole(arg, in.valueOf(arg), kMinRate, kMaxRate);
        else if (arg == "--float")
            options.asFloat = true;
        else if (arg == "--info")
            options.info = true;
        else if (arg == "--list-programs")
            options.listPrograms = true;
        else if (arg == "--load")
            options.load = in.valueOf(arg);
        else if (arg == "--save")
            options.save = in.valueOf(arg);
        else if (arg == "--quiet" || arg == "-q")
            options.quiet = true;
        else if (arg == "--bench")
            options.benchSeconds = number(arg, in.valueOf(arg), 0.001, 3600.0);
        else if (arg == "--tail")
            options.tail = tailSetting(arg, in.valueOf(arg));
        else if (arg == "-o" || arg == "--output-dir")
        {
            options.outputDir = in.valueOf(arg);
            if (options.outputDir.empty())
                throw UsageError(arg + " needs a folder");
        }
        else if (arg == "--jobs" || arg == "-j")
            options.jobs = whole(arg, in.valueOf(arg), 1, kMaxJobs);
        else
            throw UsageError("unknown option " + arg + " (--help lists them)");
    }
    if (options.help)
        return options;

    if (!options.outputDir.empty())
    {
        if (positional.empty())
            throw UsageError("-o DIR renders INPUT files into DIR; give at least one");
        options.inputs = positional;
    }
    else if (positional.size() > 2)
    {
        throw UsageError("too many file names: give [INPUT] OUTPUT, or INPUT... -o DIR");
    }
    else if (positional.size() == 2)
    {
        options.inputs = {positional[0]};
        options.output = positional[1];
    }
    else if (positional.size() == 1)
    {
        options.output = positional[0];
    }
    if (!options.inputs.empty() && options.sampleRate)
        throw UsageError("--sample-rate is for the demo only; a file renders at its own rate");
    const bool somethingElse =
        options.info || options.listPrograms || !options.save.empty() || options.benchSeconds;
    const bool rendering = !options.output.empty() || !options.outputDir.empty();
    if (!rendering && !somethingElse)
        throw UsageError("no OUTPUT file given (qev-render --help shows the usage)");
    if (options.benchSeconds && rendering)
        throw UsageError("--bench renders without files; give no INPUT or OUTPUT with it");
    return options;
}

const char* usageText()
{
    return "usage: qev-render [options] [INPUT] OUTPUT\n"
           "       qev-render [options] INPUT... -o DIR\n"
           "Renders INPUT (any file libsndfile reads, mono or stereo) through a VST 2.4 effect\n"
           "into OUTPUT; without INPUT renders the built-in demo. With -o, renders each INPUT\n"
           "into DIR under its own name, several at once.\n"
           "\n"
           "  -o, --output-dir DIR the folder for the outputs of a batch (it must exist)\n"
           "  -j, --jobs N         files rendered at once in a batch (default: one per\n"
           "                       processor)\n"
           "  --tail SECONDS|auto  render SECONDS of silence after the input, or with auto\n"
           "                       until the output stays below -90 dBFS for 100 ms (at most\n"
           "                       30 s); default: the output is as long as the input\n"
           "  --plugin PATH        the effect module (default: QEV-Phaser.so beside qev-render)\n"
           "  --program N|NAME     select a program by number or by name\n"
           "  --param NAME=VALUE   set a parameter by name or by index; repeatable, applied\n"
           "                       after the program\n"
           "  --tempo BPM          the host tempo the plug-in sees (default 120)\n"
           "  --block N            frames per processing block (default 512)\n"
           "  --sample-rate HZ     the demo's sample rate (default 44100)\n"
           "  --float              write 32-bit float WAV instead of the input's format\n"
           "  --load FILE          load a .fxb bank (before --program) or a .fxp program\n"
           "                       (into the program --program selects)\n"
           "  --save FILE          save the program (.fxp) or bank (.fxb) after rendering\n"
           "  --info               print the plug-in's names, flags, parameters and programs\n"
           "  --list-programs      print the programs\n"
           "  --bench SECONDS      time SECONDS of noise through TYPE 0, 1 and 2, no files\n"
           "  --quiet              no progress bar, summary or level report; errors and\n"
           "                       clipping warnings still show\n"
           "\n"
           "After each file qev-render reports the peak and RMS level of its input and output\n"
           "in dBFS and, for integer formats, how many samples were clipped at full scale.\n";
}

} // namespace qev::render
