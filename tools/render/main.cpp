// qev-render: renders audio files, or the built-in demo, through a VST 2.4 effect.

#include "tools/render/AudioFile.h"
#include "tools/render/Batch.h"
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

std::string modulePath(const Options& options)
{
    return options.plugin.empty() ? PluginModule::defaultPath() : options.plugin;
}

// The jobs that need the instance only: descriptions, the bench.
void describe(PluginHost& host, const Options& options, int sampleRate)
{
    if (options.info)
        printInfo(host, std::cout);
    if (options.listPrograms)
        printPrograms(host, std::cout);
    if (options.benchSeconds)
        bench(host, *options.benchSeconds, sampleRate, options.blockSize, std::cout);
}

long long expectedFrames(const Source& source, const TailSetting& tail)
{
    return source.frames() + (tail.mode == TailSetting::Mode::Fixed
                                  ? std::llround(tail.seconds * source.sampleRate())
                                  : 0);
}

// One input, or the demo, into one output; or no output at all.
void runSingle(const Options& options)
{
    // The input is opened first: a missing file is reported without loading the plug-in.
    std::unique_ptr<Source> source;
    int outputFormat = 0;
    int sampleRate = options.sampleRate.value_or(kDefaultRate);
    if (!options.inputs.empty())
    {
        auto file = std::make_unique<FileSource>(options.inputs.front());
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
    PluginHost host(std::make_shared<const PluginModule>(modulePath(options)));
    prepare(host, sampleRate, setup);
    describe(host, options, sampleRate);

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
}

// Inputs into a folder, several at once. Everything that concerns the run as a whole (the
// folder, the names, the plug-in and its settings, --save) is checked before any file is
// rendered; after that a failing file fails alone. Answers whether every file was written.
bool runBatch(const Options& options)
{
    const std::vector<BatchFile> files =
        planBatch(options.inputs, options.outputDir, options.asFloat);
    BatchSetup setup;
    setup.modulePath = modulePath(options);
    setup.host = hostSetup(options);
    setup.tail = options.tail;
    setup.asFloat = options.asFloat;
    setup.jobs = options.jobs.value_or(defaultJobs());
    {
        PluginHost host(std::make_shared<const PluginModule>(setup.modulePath));
        prepare(host, kDefaultRate, setup.host);
        describe(host, options, kDefaultRate);
        if (!options.save.empty())
            savePreset(host, options.save);
    }
    if (!std::cout.flush())
        throw Error("cannot write to standard output");

    Progress progress(expectedFrames(files, options.tail), static_cast<int>(files.size()),
                      options.quiet);
    const BatchResult result = renderBatch(files, setup, progress);
    const int total = static_cast<int>(files.size());
    if (interrupted())
        throw Error("interrupted; " + std::to_string(result.written) + " of " +
                    std::to_string(total) + " files were written");
    if (result.failed > 0)
    {
        progress.print("qev-render: " + std::to_string(result.failed) + " of " +
                       std::to_string(total) + " files failed\n");
        return false;
    }
    if (!options.quiet)
    {
        const double elapsed = progress.elapsedSeconds();
        char line[160];
        std::snprintf(line, sizeof line, "rendered %d files, %.2f s of audio, %.0fx real time\n",
                      total, result.audioSeconds,
                      elapsed > 0 ? result.audioSeconds / elapsed : 0.0);
        progress.print(line);
    }
    return true;
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

    bool succeeded = true;
    if (!options.outputDir.empty())
        succeeded = runBatch(options);
    else
        runSingle(options);
    if (!std::cout.flush())
        throw Error("cannot write to standard output");
    return succeeded ? 0 : 1;
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
