// Tails: the render goes on past the input, feeding the plug-in silence, for a fixed time or
// until the output has stayed quiet. Compared with the plug-in run in-process on the input
// followed by silence, and with the same render without a tail.

#include "Reference.h"
#include "ToolRunner.h"

#include <gtest/gtest.h>

namespace tooltest
{
namespace
{

constexpr double kQuietLevel = 3.1622776601683795e-5; // -90 dBFS
constexpr double kQuietSeconds = 0.1;
constexpr double kMaxAutoSeconds = 30.0;

Audio withSilence(const Audio& input, long long frames)
{
    Audio padded = input;
    for (auto& channel : padded.channels)
        channel.resize(channel.size() + static_cast<std::size_t>(frames), 0.0f);
    return padded;
}

Audio firstFrames(const Audio& audio, long long frames)
{
    Audio part = audio;
    for (auto& channel : part.channels)
        channel.resize(static_cast<std::size_t>(std::min(frames, audio.frames())));
    return part;
}

// Where an automatic tail ends, worked out from a render of the input and plenty of silence:
// after the first frame, not before the input's end, that completes 100 ms of output below
// -90 dBFS on both channels; at the input's end if that much quiet came earlier.
long long autoLength(const Audio& padded, long long inputFrames)
{
    const long long needed = std::llround(kQuietSeconds * padded.rate);
    long long quiet = 0;
    for (long long n = 0; n < padded.frames(); ++n)
    {
        const auto at = static_cast<std::size_t>(n);
        const bool silent = std::fabs(padded.channels[0][at]) < kQuietLevel &&
                            std::fabs(padded.channels[1][at]) < kQuietLevel;
        quiet = silent ? quiet + 1 : 0;
        if (quiet >= needed && n + 1 >= inputFrames)
            return n + 1;
    }
    return inputFrames + std::llround(kMaxAutoSeconds * padded.rate);
}

struct TailCase
{
    const char* name;
    std::string tail; // the --tail value
    std::vector<std::string> args;
    std::function<void(QevVst&)> setup;
    std::function<Audio()> input;
    long long minTail; // frames the tail must at least have; -1: none at all
};

void PrintTo(const TailCase& c, std::ostream* out)
{
    *out << c.name;
}

class Tails : public ::testing::TestWithParam<TailCase>
{
};

TEST_P(Tails, AreThePluginFedSilenceAfterTheInputWhichStaysTheSame)
{
    const TailCase& c = GetParam();
    Scratch scratch;
    const Audio input = c.input();
    writeAudio(scratch / "in.wav", input);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"-q", "in.wav", "plain.wav"});
    ASSERT_EQ(scratch.run(args).exitCode, 0);
    args.back() = "tail.wav";
    args.insert(args.end() - 2, {"--tail", c.tail});
    const RunResult run = scratch.run(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;

    const bool automatic = c.tail == "auto";
    const long long fixed = automatic ? 0 : std::llround(std::stod(c.tail) * input.rate);
    const Audio padded = referenceRender(
        withSilence(input, automatic ? std::llround((kMaxAutoSeconds + 1) * input.rate) : fixed),
        c.setup);
    const long long length =
        automatic ? autoLength(padded, input.frames()) : input.frames() + fixed;
    if (c.minTail < 0)
        EXPECT_EQ(length, input.frames());
    else
        EXPECT_GE(length - input.frames(), c.minTail);

    const Audio tail = readAudio(scratch / "tail.wav");
    EXPECT_EQ(tail.frames(), length);
    EXPECT_TRUE(sameSamples(tail, firstFrames(padded, length)));
    const Audio plain = readAudio(scratch / "plain.wav");
    EXPECT_EQ(plain.frames(), input.frames());
    EXPECT_TRUE(sameSamples(firstFrames(tail, input.frames()), plain));
}

Audio signal(int rate, int frames)
{
    return makeSignal(2, rate, frames);
}

// A signal, then half a second of digital silence.
Audio endingInSilence()
{
    Audio audio = signal(8000, 2000);
    return withSilence(audio, 4000);
}

const TailCase tailCases[] = {
    {"FixedQuarterSecond", "0.25", {"--float"}, {}, [] { return signal(44100, 3000); }, 11025},
    {"FixedRoundsToTheNearestFrame",
     "0.0001",
     {"--float", "--block", "64"},
     {},
     [] { return signal(48000, 1000); },
     5},
    {"AutoAfterAShortRingOut", "auto", {"--float"}, {}, [] { return signal(8000, 3000); }, 800},
    {"AutoAfterALongRingOut",
     "auto",
     {"--float", "--param", "FEEDBACK=0.9", "--param", "TYPE=1"},
     [](QevVst& p)
     {
         p.setParameter(7, 0.9f);
         p.setParameter(6, 1.0f);
     },
     [] { return signal(8000, 3000); },
     8000 * 2},
    {"AutoNoneAfterAnInputEndingInSilence", "auto", {"--float"}, {}, endingInSilence, -1},
};

INSTANTIATE_TEST_SUITE_P(Cases, Tails, ::testing::ValuesIn(tailCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TailLimit, AnOutputThatNeverGoesQuietStopsThirtySecondsAfterTheInput)
{
    Scratch scratch;
    writeAudio(scratch / "in.wav", signal(8000, 500));
    // Probe mode 2 writes the tempo into every output sample, silence or not.
    const RunResult run = scratch.run({"-q", "--float", "--plugin", QEV_FAKE_PROBE, "--param",
                                       "mode=2", "--tail", "auto", "in.wav", "out.wav"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Audio out = readAudio(scratch / "out.wav");
    EXPECT_EQ(out.frames(), 500 + 30 * 8000);
    EXPECT_EQ(out.channels[0].back(), 120.0f);
}

TEST(TailReport, GivesTheTailsLength)
{
    Scratch scratch;
    writeAudio(scratch / "in.wav", signal(44100, 44100));
    const RunResult run = scratch.run({"--tail", "1.5", "in.wav", "out.wav"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err.rfind("rendered 110250 frames (a tail of 1.50 s), 2.50 s of audio, ", 0), 0u)
        << run.err;
}

} // namespace
} // namespace tooltest
