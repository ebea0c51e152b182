#include "tools/render/Progress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace qev::render
{

namespace
{

constexpr int kBarWidth = 30;
constexpr int kLineWidth = kBarWidth + 40;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

} // namespace

Progress::Progress(long long totalFrames, int totalFiles, bool quiet)
    : totalFrames(totalFrames), totalFiles(totalFiles), isQuiet(quiet),
      showBar(!quiet && isatty(STDERR_FILENO)), drawingThread(std::this_thread::get_id()),
      started(std::chrono::steady_clock::now()), lastDrawn(started - kRedrawInterval)
{
}

Progress::~Progress()
{
    std::lock_guard<std::mutex> lock(output);
    clearBar();
}

double Progress::elapsedSeconds() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

void Progress::advance(long long frames)
{
    framesDone.fetch_add(frames, std::memory_order_relaxed);
    if (std::this_thread::get_id() == drawingThread)
        drawIfDue();
}

void Progress::fileFinished()
{
    filesDone.fetch_add(1, std::memory_order_relaxed);
}

void Progress::drawIfDue()
{
    if (!showBar)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastDrawn < kRedrawInterval)
        return;
    lastDrawn = now;
    std::lock_guard<std::mutex> lock(output);
    draw();
}

void Progress::print(const std::string& lines)
{
    if (lines.empty())
        return;
    std::lock_guard<std::mutex> lock(output);
    clearBar();
    std::fputs(lines.c_str(), stderr);
    std::fflush(stderr);
}

void Progress::draw()
{
    const double fraction = totalFrames > 0 ? std::min(1.0, static_cast<double>(framesDone.load()) /
                                                                static_cast<double>(totalFrames))
                                            : 0.0;
    const int filled = static_cast<int>(fraction * kBarWidth);
    char bar[kBarWidth + 1];
    for (int i = 0; i < kBarWidth; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[kBarWidth] = '\0';
    char files[48] = "";
    if (totalFiles > 1)
        std::snprintf(files, sizeof files, "  %d of %d files", filesDone.load(), totalFiles);
    std::fprintf(stderr, "\r[%s] %3d%%%s  %.1f s ", bar, static_cast<int>(fraction * 100.0), files,
                 elapsedSeconds());
    std::fflush(stderr);
    barShown = true;
}

void Progress::clearBar()
{
    if (!barShown)
        return;
    std::fprintf(stderr, "\r%*s\r", kLineWidth, "");
    barShown = false;
}

} // namespace qev::render
