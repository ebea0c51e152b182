#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

namespace qev::render
{

// Reports a render or a batch of them on stderr: a progress bar over the whole work while it
// runs, when stderr is a terminal and the run is not quiet, and whole lines printed above it.
// Rendering threads count their frames; only the thread that made the Progress draws.
class Progress
{
public:
    // `totalFrames`: the frames expected over the whole run (automatic tails cannot be known
    // ahead; the bar stops at 100%). `totalFiles` above 1 shows the files done.
    Progress(long long totalFrames, int totalFiles, bool quiet);
    ~Progress(); // clears the bar

    bool quiet() const { return isQuiet; }
    double elapsedSeconds() const;

    void advance(long long frames); // any thread; redraws when due on the drawing thread
    void fileFinished();            // any thread
    void drawIfDue();               // the drawing thread
    // Prints `lines` (each ending in a newline) above the bar, quiet or not. Any thread.
    void print(const std::string& lines);

private:
    void draw(); // with `output` held
    void clearBar();

    const long long totalFrames;
    const int totalFiles;
    const bool isQuiet;
    const bool showBar;
    const std::thread::id drawingThread;
    const std::chrono::steady_clock::time_point started;
    std::atomic<long long> framesDone{0};
    std::atomic<int> filesDone{0};
    std::mutex output;
    std::chrono::steady_clock::time_point lastDrawn;
    bool barShown = false;
};

} // namespace qev::render
