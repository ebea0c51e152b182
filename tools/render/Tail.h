#pragma once

namespace qev::render
{

// How far a render runs past the end of its input, feeding the plug-in silence.
struct TailSetting
{
    enum class Mode
    {
        None,  // the output is as long as the input
        Fixed, // `seconds` more
        Auto,  // until the output has stayed quiet; see TailEnd
    };
    Mode mode = Mode::None;
    double seconds = 0.0;
};

// Follows a render's output frame by frame and says where it ends. With an automatic tail the
// render goes on until the output (both channels) has stayed below kQuietDbfs for kQuietSeconds,
// but at most kMaxAutoSeconds past the input; the quiet stretch counts from wherever it began,
// so an input that already ends in that much quiet output gets no tail. The quiet stretch is
// part of the output. Lengths are whole frames: a fixed tail is `seconds` rounded to the nearest
// frame.
class TailEnd
{
public:
    static constexpr double kQuietDbfs = -90.0;
    static constexpr double kQuietSeconds = 0.1;
    static constexpr double kMaxAutoSeconds = 30.0;

    TailEnd(const TailSetting& setting, int sampleRate);

    // Looks at the next block of output, in order, from the first block on; answers how many of
    // its frames belong in the file: all, or fewer where the tail ends inside the block.
    // `pastInput`: the block was rendered from silence after the input.
    int keep(const float* left, const float* right, int frames, bool pastInput);

    // Once the input is exhausted: how many frames of silence to render next, at most
    // `blockSize`; 0 when the output is complete.
    int nextBlock(int blockSize) const;

    long long tailFrames() const { return kept; }

private:
    TailSetting::Mode mode;
    long long limit;       // frames of tail at most
    long long quietNeeded; // frames of quiet output that end an automatic tail
    float quietLevel;      // amplitude below which a sample is quiet
    long long quietRun = 0;
    long long kept = 0; // frames of tail kept so far
    bool ended = false;
};

} // namespace qev::render
