#include "tools/render/Report.h"

#include <sndfile.h>

#include <cstdarg>
#include <cstdio>

namespace qev::render
{

namespace
{

std::string formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string formatted(const char* format, ...)
{
    char line[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    return line;
}

std::string lengths(const RenderResult& result, int sampleRate)
{
    const std::string tail = result.tailFrames() > 0
                                 ? formatted(" (a tail of %.2f s)",
                                             static_cast<double>(result.tailFrames()) / sampleRate)
                                 : "";
    return formatted("%lld frames%s, %.2f s of audio", result.frames, tail.c_str(),
                     static_cast<double>(result.frames) / sampleRate);
}

std::string clipped(const RenderResult& result, int outputFormat)
{
    return formatted("%lld samples clipped at full scale (%d-bit integer file)",
                     result.output.beyondFullScale(), integerBits(outputFormat));
}

} // namespace

int integerBits(int format)
{
    switch (format & SF_FORMAT_SUBMASK)
    {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return 8;
    case SF_FORMAT_PCM_16:
        return 16;
    case SF_FORMAT_PCM_24:
        return 24;
    case SF_FORMAT_PCM_32:
        return 32;
    default:
        return 0;
    }
}

std::string renderSummary(const RenderResult& result, int sampleRate, double elapsedSeconds)
{
    const double audio = static_cast<double>(result.frames) / sampleRate;
    return "rendered " + lengths(result, sampleRate) +
           formatted(", %.0fx real time\n", elapsedSeconds > 0 ? audio / elapsedSeconds : 0.0);
}

std::string fileSummary(const std::string& name, const RenderResult& result, int sampleRate)
{
    return name + ": " + lengths(result, sampleRate) + "\n";
}

std::string levelReport(const RenderResult& result, int outputFormat)
{
    std::string text = formatted("  input:  peak %+.2f dBFS, RMS %+.2f dBFS\n",
                                 result.input.peakDbfs(), result.input.rmsDbfs());
    text += formatted("  output: peak %+.2f dBFS, RMS %+.2f dBFS", result.output.peakDbfs(),
                      result.output.rmsDbfs());
    if (integerBits(outputFormat) > 0)
        text += ", " + clipped(result, outputFormat);
    return text + "\n";
}

std::string clipWarning(const std::string& name, const RenderResult& result, int outputFormat)
{
    if (integerBits(outputFormat) == 0 || result.output.beyondFullScale() == 0)
        return "";
    return "qev-render: warning: " + name + ": " + clipped(result, outputFormat) +
           "; --float keeps them\n";
}

std::string afterFile(const std::string& summary, const std::string& name,
                      const RenderResult& result, int outputFormat, bool quiet)
{
    return (quiet ? "" : summary + levelReport(result, outputFormat)) +
           clipWarning(name, result, outputFormat);
}

} // namespace qev::render
