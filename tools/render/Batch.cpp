#include "tools/render/Batch.h"

#include "tools/render/AudioFile.h"
#include "tools/render/CommandLine.h"
#include "tools/render/Error.h"
#include "tools/render/Renderer.h"
#include "tools/render/Report.h"
#include "tools/render/Signals.h"
#include "tools/render/Source.h"
#include "tools/render/TemporaryFiles.h"

#include <sched.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

namespace qev::render
{

namespace
{

static_assert(temporaryFiles::kCapacity > kMaxJobs, "every worker's output can be cleaned up");

using FileId = std::pair<dev_t, ino_t>;

bool identify(const std::string& path, FileId& id)
{
    struct stat status = {};
    if (stat(path.c_str(), &status) != 0)
        return false;
    id = {status.st_dev, status.st_ino};
    return true;
}

std::string fileName(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string asWav(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    return (dot == std::string::npos || dot == 0 ? name : name.substr(0, dot)) + ".wav";
}

enum class Outcome : char
{
    NotStarted,
    Written,
    Failed,
    Interrupted,
};

// One worker: its own load of the module, and a fresh instance for every file.
class Worker
{
public:
    Worker(const BatchSetup& setup, Progress& progress) : setup(setup), progress(progress) {}

    // Reports the file as it ends, written or failed; an interruption is left to the caller.
    Outcome render(const BatchFile& file, double& audioSeconds)
    {
        try
        {
            audioSeconds = renderFile(file);
            return Outcome::Written;
        }
        catch (const std::bad_alloc&)
        {
            return fail(file.input + ": out of memory");
        }
        catch (const std::exception& error)
        {
            return fail(error.what());
        }
    }

private:
    double renderFile(const BatchFile& file)
    {
        // The input first: a file that cannot be read costs no instance.
        FileSource source(file.input);
        const int format = formatForOutput(file.output, source.format(), setup.asFloat);
        if (!module)
            module = std::make_shared<const PluginModule>(setup.modulePath);
        PluginHost host(module);
        prepare(host, source.sampleRate(), setup.host);
        AudioWriter writer(file.output, source.sampleRate(), 2, format);
        const RenderResult result =
            qev::render::render(host, source, setup.host.blockSize, setup.tail, writer, progress);
        writer.commit();
        progress.fileFinished();
        progress.print(afterFile(fileSummary(file.output, result, source.sampleRate()), file.output,
                                 result, format, progress.quiet()));
        return static_cast<double>(result.frames) / source.sampleRate();
    }

    Outcome fail(const std::string& message)
    {
        progress.fileFinished();
        if (interrupted())
            return Outcome::Interrupted;
        progress.print("qev-render: " + message + "\n");
        return Outcome::Failed;
    }

    const BatchSetup& setup;
    Progress& progress;
    std::shared_ptr<const PluginModule> module;
};

} // namespace

std::vector<BatchFile> planBatch(const std::vector<std::string>& inputs, const std::string& dir,
                                 bool asFloat)
{
    struct stat status = {};
    if (stat(dir.c_str(), &status) != 0)
        throw Error("no output folder " + dir);
    if (!S_ISDIR(status.st_mode))
        throw Error("the output folder " + dir + " is not a folder");

    std::map<FileId, std::string> inputIds;
    for (const std::string& input : inputs)
    {
        FileId id;
        if (identify(input, id))
            inputIds.emplace(id, input);
    }
    const std::string folder = dir.back() == '/' ? dir : dir + "/";
    std::vector<BatchFile> files;
    std::map<std::string, std::string> inputOf;
    for (const std::string& input : inputs)
    {
        const std::string name = fileName(input);
        const std::string output = folder + (asFloat ? asWav(name) : name);
        const auto [earlier, isNew] = inputOf.emplace(output, input);
        if (!isNew)
            throw UsageError(earlier->second + " and " + input + " would both be written to " +
                             output);
        FileId id;
        if (identify(output, id) && inputIds.count(id))
            throw UsageError(output + " would replace the input " + inputIds[id] +
                             "; choose another output folder");
        files.push_back({input, output});
    }
    return files;
}

BatchResult renderBatch(const std::vector<BatchFile>& files, const BatchSetup& setup,
                        Progress& progress)
{
    std::vector<double> seconds(files.size(), 0.0);
    std::vector<Outcome> outcomes(files.size(), Outcome::NotStarted);
    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable finished;
    int running = 0;

    auto work = [&]
    {
        SignalStack signalStack;
        Worker worker(setup, progress);
        for (std::size_t i = next++; i < files.size() && !interrupted(); i = next++)
            outcomes[i] = worker.render(files[i], seconds[i]);
        std::lock_guard<std::mutex> lock(mutex);
        --running;
        finished.notify_one();
    };

    const auto workers = static_cast<std::size_t>(std::max(1, setup.jobs));
    std::vector<std::thread> threads;
    for (std::size_t w = 0; w < std::min(workers, files.size()); ++w)
    {
        std::lock_guard<std::mutex> lock(mutex);
        try
        {
            threads.emplace_back(work);
            ++running;
        }
        catch (const std::system_error&)
        {
            if (threads.empty())
                throw;
            break; // the system allows no more threads: fewer workers do the same work
        }
    }
    {
        std::unique_lock<std::mutex> lock(mutex);
        while (running > 0)
        {
            finished.wait_for(lock, std::chrono::milliseconds(50));
            lock.unlock();
            progress.drawIfDue();
            lock.lock();
        }
    }
    for (std::thread& thread : threads)
        thread.join();

    BatchResult result;
    for (std::size_t i = 0; i < files.size(); ++i)
    {
        result.written += outcomes[i] == Outcome::Written;
        result.failed += outcomes[i] == Outcome::Failed;
        result.audioSeconds += seconds[i];
    }
    return result;
}

long long expectedFrames(const std::vector<BatchFile>& files, const TailSetting& tail)
{
    long long frames = 0;
    for (const BatchFile& file : files)
    {
        try
        {
            const AudioReader reader(file.input);
            frames += reader.frames();
            if (tail.mode == TailSetting::Mode::Fixed)
                frames += std::llround(tail.seconds * reader.sampleRate());
        }
        catch (const Error&)
        {
            // Reported when its turn comes.
        }
    }
    return frames;
}

int defaultJobs()
{
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    int processors = sched_getaffinity(0, sizeof allowed, &allowed) == 0
                         ? CPU_COUNT(&allowed)
                         : static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(processors, 1, kMaxJobs);
}

} // namespace qev::render
