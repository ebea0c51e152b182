#pragma once

// Audio files through libsndfile: whatever it reads (WAV, AIFF, FLAC, OGG, ...) and writes.
// Samples cross this boundary as interleaved 32-bit floats, full scale +-1.

#include "tools/render/ReplacingFile.h"

#include <sndfile.h>

#include <string>

namespace qev::render
{

class AudioReader
{
public:
    // The lowest audio sample rate in use. Far below it a plug-in's tables are no longer
    // valid (the phaser refuses rates below 1250 Hz and would run at its previous rate).
    static constexpr int kLowestSampleRate = 8000;

    // Opens a mono or stereo file at kLowestSampleRate or more; anything else, or an
    // unreadable file, throws Error.
    explicit AudioReader(const std::string& path);
    ~AudioReader();
    AudioReader(const AudioReader&) = delete;
    AudioReader& operator=(const AudioReader&) = delete;

    int channels() const { return info.channels; }
    int sampleRate() const { return info.samplerate; }
    int format() const { return info.format; } // libsndfile's SF_FORMAT_* word
    long long frames() const { return info.frames; }

    // Reads up to `frames` interleaved frames; answers how many were read, 0 at the end.
    long long read(float* interleaved, long long frames);

private:
    std::string path;
    SF_INFO info{};
    SNDFILE* file = nullptr;
};

// Writes a complete file or nothing: samples go to a temporary file beside the target, which
// replaces the target only on commit().
class AudioWriter
{
public:
    // `format` is libsndfile's SF_FORMAT_* word; one it cannot write throws Error.
    AudioWriter(const std::string& path, int sampleRate, int channels, int format);
    ~AudioWriter();
    AudioWriter(const AudioWriter&) = delete;
    AudioWriter& operator=(const AudioWriter&) = delete;

    void write(const float* interleaved, long long frames); // throws Error
    void commit();                                          // throws Error

private:
    std::string path;
    ReplacingFile target;
    SNDFILE* file = nullptr;
};

// The format the file name asks for (.wav, .aif/.aiff, .flac, .ogg), 24-bit where the
// container has a choice; `asFloat` asks for 32-bit float WAV whatever the name.
int formatForFileName(const std::string& path, bool asFloat); // throws Error

// The format for rendering an input of `inputFormat` into `path`: the input's own format,
// unless the file name asks for another container (.wav, .aif/.aiff, .flac, .ogg), which
// then keeps the input's sample format where it can. `asFloat` asks for 32-bit float WAV.
int formatForOutput(const std::string& path, int inputFormat, bool asFloat);

// 32-bit float WAV, the format --float asks for.
constexpr int kFloatWav = SF_FORMAT_WAV | SF_FORMAT_FLOAT;

} // namespace qev::render
