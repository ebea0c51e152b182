// The level report after a render and the clipping warning, against figures the test computes
// from a known signal. The probe plug-in in mode 0 multiplies by its gain, so the output is
// known exactly: twice the input, which drives part of a sine beyond full scale.

#include "ToolRunner.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace tooltest
{
namespace
{

constexpr int kRate = 44100;
constexpr int kFrames = 5000;

// Left: a sine of amplitude 0.75, which doubled exceeds full scale over half its cycle. Right:
// one of 0.3, which never does.
Audio knownSignal(int format)
{
    Audio audio;
    audio.rate = kRate;
    audio.format = format;
    audio.channels.assign(2, std::vector<float>(kFrames));
    for (int n = 0; n < kFrames; ++n)
    {
        audio.channels[0][n] = static_cast<float>(0.75 * std::sin(2 * M_PI * 441.0 * n / kRate));
        audio.channels[1][n] = static_cast<float>(0.3 * std::sin(2 * M_PI * 1000.0 * n / kRate));
    }
    return audio;
}

struct Levels
{
    double peakDbfs;
    double rmsDbfs;
    long long beyondFullScale;
};

Levels levelsOf(const Audio& audio, float gain)
{
    double peak = 0.0, sum = 0.0;
    long long count = 0, beyond = 0;
    for (const auto& channel : audio.channels)
        for (float sample : channel)
        {
            const double y = sample * gain;
            peak = std::max(peak, std::fabs(y));
            sum += y * y;
            beyond += std::fabs(y) > 1.0;
            ++count;
        }
    return {20 * std::log10(peak), 20 * std::log10(std::sqrt(sum / count)), beyond};
}

struct OutputCase
{
    const char* name;
    int inputFormat;
    std::vector<std::string> args;
    int bits; // of the output's integer samples; 0 for float
};

void PrintTo(const OutputCase& c, std::ostream* out)
{
    *out << c.name;
}

class LevelReport : public ::testing::TestWithParam<OutputCase>
{
protected:
    RunResult render(const std::vector<std::string>& extra)
    {
        writeAudio(scratch / "in.wav", knownSignal(GetParam().inputFormat));
        std::vector<std::string> args = {"--plugin", QEV_FAKE_PROBE, "--param", "gain=2"};
        args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
        args.insert(args.end(), extra.begin(), extra.end());
        args.insert(args.end(), {"in.wav", "out.wav"});
        return scratch.run(args);
    }

    std::string warning(long long clipped) const
    {
        return "qev-render: warning: out.wav: " + std::to_string(clipped) +
               " samples clipped at full scale (" + std::to_string(GetParam().bits) +
               "-bit integer file); --float keeps them\n";
    }

    Scratch scratch;
};

TEST_P(LevelReport, GivesPeakAndRmsOfInputAndOutputAndTheClippedSamples)
{
    const RunResult run = render({});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Audio input = readAudio(scratch / "in.wav"); // as stored: 16 or 24 bits, or float
    const Levels in = levelsOf(input, 1.0f);
    const Levels out = levelsOf(input, 2.0f);
    ASSERT_GT(out.beyondFullScale, 1000);

    std::istringstream lines(run.err);
    std::string summary, inputLine, outputLine;
    std::getline(lines, summary);
    std::getline(lines, inputLine);
    std::getline(lines, outputLine);
    const std::string rest(std::istreambuf_iterator<char>(lines), {});
    EXPECT_EQ(summary.rfind("rendered 5000 frames, 0.11 s of audio, ", 0), 0u) << run.err;
    double figures[4] = {};
    int end = 0;
    ASSERT_EQ(std::sscanf(inputLine.c_str(), "  input:  peak %lf dBFS, RMS %lf dBFS", &figures[0],
                          &figures[1]),
              2)
        << run.err;
    ASSERT_EQ(std::sscanf(outputLine.c_str(), "  output: peak %lf dBFS, RMS %lf dBFS%n",
                          &figures[2], &figures[3], &end),
              2)
        << run.err;
    EXPECT_NEAR(figures[0], in.peakDbfs, 0.005);
    EXPECT_NEAR(figures[1], in.rmsDbfs, 0.005);
    EXPECT_NEAR(figures[2], out.peakDbfs, 0.005);
    EXPECT_NEAR(figures[3], out.rmsDbfs, 0.005);
    const std::string clipping = outputLine.substr(static_cast<std::size_t>(end));
    if (GetParam().bits == 0)
    {
        EXPECT_EQ(clipping, "");
        EXPECT_EQ(rest, "");
        return;
    }
    EXPECT_EQ(clipping, ", " + std::to_string(out.beyondFullScale) +
                            " samples clipped at full scale (" + std::to_string(GetParam().bits) +
                            "-bit integer file)");
    EXPECT_EQ(rest, warning(out.beyondFullScale));
}

TEST_P(LevelReport, QuietLeavesOnlyTheClippingWarning)
{
    const RunResult run = render({"-q"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Audio input = readAudio(scratch / "in.wav");
    EXPECT_EQ(run.err, GetParam().bits ? warning(levelsOf(input, 2.0f).beyondFullScale) : "");

    // libsndfile clips an integer file; a float file keeps what the plug-in gave.
    auto peakOf = [](const Audio& audio)
    {
        float peak = 0.0f;
        for (const auto& channel : audio.channels)
            for (float sample : channel)
                peak = std::max(peak, std::fabs(sample));
        return peak;
    };
    const float peak = peakOf(readAudio(scratch / "out.wav"));
    if (GetParam().bits)
        EXPECT_LE(peak, 1.0f);
    else
        EXPECT_EQ(peak, 2.0f * peakOf(input));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, LevelReport,
    ::testing::Values(OutputCase{"Pcm16", SF_FORMAT_WAV | SF_FORMAT_PCM_16, {}, 16},
                      OutputCase{"Pcm24", SF_FORMAT_WAV | SF_FORMAT_PCM_24, {}, 24},
                      OutputCase{"Float", SF_FORMAT_WAV | SF_FORMAT_PCM_16, {"--float"}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LevelReportSilence, SaysMinusInfinity)
{
    Scratch scratch;
    Audio silence = makeSignal(1, 8000, 800);
    std::fill(silence.channels[0].begin(), silence.channels[0].end(), 0.0f);
    writeAudio(scratch / "in.wav", silence);
    const RunResult run = scratch.run({"--plugin", QEV_FAKE_PROBE, "--float", "in.wav", "out.wav"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("\n  input:  peak -inf dBFS, RMS -inf dBFS\n"
                           "  output: peak -inf dBFS, RMS -inf dBFS\n"),
              std::string::npos)
        << run.err;
}

} // namespace
} // namespace tooltest
