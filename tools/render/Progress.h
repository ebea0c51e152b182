#pragma once

#include <chrono>

namespace qev::render
{

// Reports a render on stderr: a progress bar while it runs, when stderr is a terminal, and a
// one-line summary at the end. Quiet reports nothing.
class Progress
{
public:
    Progress(double sampleRate, long long totalFrames, bool quiet);
    void update(long long framesDone);
    void finish(long long framesDone);

private:
    double seconds() const;

    double sampleRate;
    long long totalFrames;
    bool quiet;
    bool showBar;
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point lastDrawn;
};

} // namespace qev::render
