#pragma once

// The texts qev-render prints about a finished render: its length and speed, the levels of its
// input and output, and the warning about samples an integer file could not hold.

#include "tools/render/Renderer.h"

#include <string>

namespace qev::render
{

// The sample size of an integer PCM format (libsndfile's SF_FORMAT_* word), 0 for the float and
// compressed ones. libsndfile clips integer samples beyond full scale to it when writing.
int integerBits(int format);

// "rendered F frames (a tail of T s), S s of audio, Nx real time", one line.
std::string renderSummary(const RenderResult& result, int sampleRate, double elapsedSeconds);

// "NAME: F frames (a tail of T s), S s of audio", one line: a file of a batch.
std::string fileSummary(const std::string& name, const RenderResult& result, int sampleRate);

// Two indented lines: peak and RMS in dBFS of the input and the output, and for an integer
// output format the number of output samples clipped at full scale.
std::string levelReport(const RenderResult& result, int outputFormat);

// One line for standard error when an integer output had samples clipped; empty otherwise.
std::string clipWarning(const std::string& name, const RenderResult& result, int outputFormat);

// Everything printed after a file: `summary` and the level report unless quiet, then the clip
// warning, if any.
std::string afterFile(const std::string& summary, const std::string& name,
                      const RenderResult& result, int outputFormat, bool quiet);

} // namespace qev::render
