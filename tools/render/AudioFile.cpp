#include "tools/render/AudioFile.h"

#include "tools/render/Error.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace qev::render
{

AudioReader::AudioReader(const std::string& path) : path(path)
{
    // The file system's reasons first: libsndfile words them less plainly.
    struct stat status = {};
    if (stat(path.c_str(), &status) != 0)
        throw Error("cannot read " + path + ": " + std::strerror(errno));
    if (S_ISDIR(status.st_mode))
        throw Error("cannot read " + path + ": it is a folder");
    file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        throw Error("cannot read " + path + ": not an audio file in a format libsndfile reads (" +
                    sf_strerror(nullptr) + ")");
    if (info.channels < 1 || info.channels > 2)
    {
        const int count = info.channels;
        sf_close(file);
        file = nullptr;
        throw Error(path + " has " + std::to_string(count) +
                    " channels; only mono and stereo files can be rendered");
    }
    if (info.samplerate < kLowestSampleRate)
    {
        const int rate = info.samplerate;
        sf_close(file);
        file = nullptr;
        throw Error(path + " is recorded at " + std::to_string(rate) +
                    " Hz; qev-render renders files at " + std::to_string(kLowestSampleRate) +
                    " Hz and above");
    }
}

AudioReader::~AudioReader()
{
    if (file)
        sf_close(file);
}

long long AudioReader::read(float* interleaved, long long frames)
{
    const sf_count_t count = sf_readf_float(file, interleaved, frames);
    if (count < 0 || (count == 0 && sf_error(file) != SF_ERR_NO_ERROR))
        throw Error("cannot read " + path + ": " + sf_strerror(file));
    return count;
}

AudioWriter::AudioWriter(const std::string& path, int sampleRate, int channels, int format)
    : path(path), target(path)
{
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = format;
    if (!sf_format_check(&info))
        throw Error("cannot write " + path + ": the output format does not allow " +
                    std::to_string(channels) + " channels at " + std::to_string(sampleRate) +
                    " Hz");
    file = sf_open_fd(target.fd(), SFM_WRITE, &info, SF_TRUE);
    if (!file)
        throw Error("cannot write " + path + ": " + sf_strerror(nullptr));
    target.releaseFd(); // libsndfile closes it now
    // Integer formats clip instead of wrapping around when the signal exceeds full scale.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

AudioWriter::~AudioWriter()
{
    if (file)
        sf_close(file);
}

void AudioWriter::write(const float* interleaved, long long frames)
{
    if (sf_writef_float(file, interleaved, frames) != frames)
        throw Error("cannot write " + path + ": " + sf_strerror(file));
}

void AudioWriter::commit()
{
    const int result = sf_close(file);
    file = nullptr;
    if (result != 0)
        throw Error("cannot write " + path + ": " + sf_error_number(result));
    target.commit();
}

namespace
{

std::string lowerExtension(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.rfind('/');
    std::string extension;
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

} // namespace

int formatForFileName(const std::string& path, bool asFloat)
{
    if (asFloat)
        return kFloatWav;
    const std::string extension = lowerExtension(path);
    if (extension == "wav")
        return SF_FORMAT_WAV | SF_FORMAT_PCM_24;
    if (extension == "aif" || extension == "aiff")
        return SF_FORMAT_AIFF | SF_FORMAT_PCM_24;
    if (extension == "flac")
        return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
    if (extension == "ogg")
        return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    throw Error("cannot tell the audio format of " + path +
                " from its name; use .wav, .aiff, .flac or .ogg");
}

int formatForOutput(const std::string& path, int inputFormat, bool asFloat)
{
    if (asFloat)
        return kFloatWav;
    int named = 0;
    try
    {
        named = formatForFileName(path, false);
    }
    catch (const Error&)
    {
        return inputFormat; // a name that says nothing: the input's format
    }
    if ((named & SF_FORMAT_TYPEMASK) == (inputFormat & SF_FORMAT_TYPEMASK))
        return inputFormat;
    SF_INFO probe{};
    probe.samplerate = 44100;
    probe.channels = 2;
    probe.format = (named & SF_FORMAT_TYPEMASK) | (inputFormat & SF_FORMAT_SUBMASK);
    return sf_format_check(&probe) ? probe.format : named;
}

} // namespace qev::render
