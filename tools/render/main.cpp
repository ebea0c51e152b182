// qev-render: renders audio files, or the built-in demo, through a VST 2.4 effect.

#include "tools/render/AudioFile.h"
#include "tools/render/CommandLine.h"
#include "tools/render/DemoSource.h"
#include "tools/render/Error.h"
#include "tools/render/PluginHost.h"
#include "tools/render/PluginState.h"
#include "tools/render/PresetFile.h"
#include "tools/render/Progress.h"
#include "tools/render/Renderer.h"
#include "tools/render/Report.h"
#include "tools/render/Signals.h"
#include "tools/render/Source.h"

#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>

namespace
{

using namespace qev::render;

constexpr int kDefaultRate = 44100;

HostSetup hostSetup(const Options& options)
{
    HostSetup setup;
    setup.blockSize = options.blockSize;
    setup.tempo = options.tempo;
    setup.settings.program = options.program;
    setup.settings.params = options.params;
    if (!options.load.empty())
    {
        setup.settings.preset = readPresetFile(options.load);
        setup.settings.presetPath = options.load;
    }
    return setup;
}

long long expectedFrames(const Source& source, const TailSetting& tail)
{
    return source.frames() + (tail.mode == TailSetting::Mode::Fixed
                                  ? std::llround(tail.seconds * source.sampleRate())
                                  : 0);
}

int run(const Options& options)
{
    if (options.help)
    {
        std::cout << usageText();
        return 0;
    }
    if (!options.save.empty())
        presetKindForFileName(options.save); // a bad name fails before any work is done

    // The input is opened first: a missing file is reported without loading the plug-in.
    std::unique_ptr<Source> source;
    int outputFormat = 0;
    int sampleRate = options.sampleRate.value_or(kDefaultRate);
    if (!options.input.empty())
    {
        auto file = std::make_unique<FileSource>(options.input);
        outputFormat = formatForOutput(options.output, file->format(), options.asFloat);
        sampleRate = file->sampleRate();
        source = std::move(file);
    }
    else if (!options.output.empty())
    {
        outputFormat = formatForFileName(options.output, options.asFloat);
        source = std::make_unique<DemoSource>(sampleRate);
    }

    const HostSetup setup = hostSetup(options);
    PluginHost host(std::make_shared<const PluginModule>(
        options.plugin.empty() ? PluginModule::defaultPath() : options.plugin));
    prepare(host, sampleRate, setup);

    if (options.info)
        printInfo(host, std::cout);
    if (options.listPrograms)
        printPrograms(host, std::cout);
    if (options.benchSeconds)
        bench(host, *options.benchSeconds, sampleRate, options.blockSize, std::cout);

    if (source)
    {
        AudioWriter writer(options.output, sampleRate, 2, outputFormat);
        Progress progress(expectedFrames(*source, options.tail), 1, options.quiet);
        const RenderResult result =
            render(host, *source, options.blockSize, options.tail, writer, progress);
        // The preset is written before the audio is put in place, so a failed save leaves
        // no rendered file behind either.
        if (!options.save.empty())
            savePreset(host, options.save);
        writer.commit();
        progress.print(afterFile(renderSummary(result, sampleRate, progress.elapsedSeconds()),
                                 options.output, result, outputFormat, options.quiet));
    }
    else if (!options.save.empty())
    {
        savePreset(host, options.save);
    }
    if (!std::cout.flush())
        throw Error("cannot write to standard output");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    catchSignals();
    try
    {
        return run(parseCommandLine(std::vector<std::string>(argv + 1, argv + argc)));
    }
    catch (const UsageError& error)
    {
        std::fprintf(stderr, "qev-render: %s\n", error.what());
        return 2;
    }
    catch (const std::bad_alloc&)
    {
        std::fprintf(stderr, "qev-render: out of memory\n");
        return 1;
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "qev-render: %s\n", error.what());
        return 1;
    }
}
