#include "tools/render/Progress.h"

#include <unistd.h>

#include <cstdio>

namespace qev::render
{

namespace
{

constexpr int kBarWidth = 30;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

} // namespace

Progress::Progress(double sampleRate, long long totalFrames, bool quiet)
    : sampleRate(sampleRate), totalFrames(totalFrames), quiet(quiet),
      showBar(!quiet && isatty(STDERR_FILENO)), started(std::chrono::steady_clock::now()),
      lastDrawn(started)
{
}

double Progress::seconds() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

void Progress::update(long long framesDone)
{
    if (!showBar || totalFrames <= 0)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastDrawn < kRedrawInterval)
        return;
    lastDrawn = now;
    const double fraction = static_cast<double>(framesDone) / static_cast<double>(totalFrames);
    const int filled = static_cast<int>(fraction * kBarWidth);
    char bar[kBarWidth + 1];
    for (int i = 0; i < kBarWidth; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[kBarWidth] = '\0';
    const double audio = static_cast<double>(framesDone) / sampleRate;
    const double elapsed = seconds();
    std::fprintf(stderr, "\r[%s] %3d%%  %.1f s  %.0fx real time ", bar,
                 static_cast<int>(fraction * 100.0), audio, elapsed > 0 ? audio / elapsed : 0.0);
    std::fflush(stderr);
}

void Progress::finish(long long framesDone)
{
    if (quiet)
        return;
    if (showBar)
        std::fprintf(stderr, "\r%*s\r", kBarWidth + 40, "");
    const double audio = static_cast<double>(framesDone) / sampleRate;
    const double elapsed = seconds();
    std::fprintf(stderr, "rendered %lld frames, %.2f s of audio, %.0fx real time\n", framesDone,
                 audio, elapsed > 0 ? audio / elapsed : 0.0);
}

} // namespace qev::render
