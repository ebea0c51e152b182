// End to end through the built tool: files in, files out, compared sample for sample with the
// plug-in's own output computed in-process.

#include "Reference.h"
#include "ToolRunner.h"
#include "tools/render/DemoSource.h"

#include <gtest/gtest.h>

namespace tooltest
{
namespace
{

struct Shape
{
    int channels;
    int rate;
};

class RenderFile : public ::testing::TestWithParam<Shape>
{
};

// A length that is not a whole number of blocks, so the last block is a short one.
constexpr int kFrames = 9 * 512 + 37;

TEST_P(RenderFile, MatchesThePluginInProcess)
{
    Scratch scratch;
    const Audio input = makeSignal(GetParam().channels, GetParam().rate, kFrames);
    writeAudio(scratch / "in.wav", input);

    const RunResult run = scratch.run({"--quiet", "in.wav", "out.wav"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");

    const Audio output = readAudio(scratch / "out.wav");
    EXPECT_EQ(output.rate, GetParam().rate);
    EXPECT_EQ(output.format, input.format); // the input's format by default
    ASSERT_EQ(output.channels.size(), 2u);
    EXPECT_EQ(output.frames(), kFrames);
    EXPECT_TRUE(sameSamples(output, referenceRender(input)));
    EXPECT_EQ(scratch.files(), (std::set<std::string>{"in.wav", "out.wav"}));
}

INSTANTIATE_TEST_SUITE_P(Shapes, RenderFile,
                         ::testing::Values(Shape{1, 44100}, Shape{2, 44100}, Shape{1, 96000},
                                           Shape{2, 96000}),
                         [](const auto& info)
                         {
                             return std::string(info.param.channels == 1 ? "Mono" : "Stereo") +
                                    std::to_string(info.param.rate);
                         });

TEST(RenderFormat, FloatInputToAContainerWithoutFloatsGets24Bits)
{
    Scratch scratch;
    writeAudio(scratch / "in.wav", makeSignal(1, 44100, 1000));
    ASSERT_EQ(scratch.run({"--quiet", "in.wav", "out.flac"}).exitCode, 0);
    const Audio out = readAudio(scratch / "out.flac");
    EXPECT_EQ(out.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    EXPECT_EQ(out.frames(), 1000);
}

TEST(RenderFormat, KeepsTheInputFormatOrWritesFloatWhenAsked)
{
    Scratch scratch;
    Audio input = makeSignal(2, 48000, 4000);
    input.format = SF_FORMAT_AIFF | SF_FORMAT_PCM_16;
    writeAudio(scratch / "in.aiff", input);
    const Audio stored = readAudio(scratch / "in.aiff"); // what the tool reads: 16-bit values
    const Audio reference = referenceRender(stored);

    ASSERT_EQ(scratch.run({"--quiet", "in.aiff", "same.aiff"}).exitCode, 0);
    const Audio same = readAudio(scratch / "same.aiff");
    EXPECT_EQ(same.format, SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
    ASSERT_EQ(same.frames(), reference.frames());
    for (std::size_t c = 0; c < 2; ++c)
        for (std::size_t n = 0; n < reference.channels[c].size(); ++n)
            ASSERT_NEAR(same.channels[c][n], std::clamp(reference.channels[c][n], -1.0f, 1.0f),
                        2.0 / 32768.0)
                << "channel " << c << " frame " << n;

    // Another container named by the output file keeps the input's sample format.
    ASSERT_EQ(scratch.run({"--quiet", "in.aiff", "named.WAV"}).exitCode, 0);
    EXPECT_EQ(readAudio(scratch / "named.WAV").format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);

    ASSERT_EQ(scratch.run({"--quiet", "--float", "in.aiff", "float.wav"}).exitCode, 0);
    const Audio asFloat = readAudio(scratch / "float.wav");
    EXPECT_EQ(asFloat.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_TRUE(sameSamples(asFloat, reference));
}

Audio demoInput(int rate)
{
    qev::render::DemoSource demo(rate);
    Audio audio;
    audio.rate = rate;
    audio.channels.assign(2, std::vector<float>(static_cast<std::size_t>(demo.frames())));
    demo.read(audio.channels[0].data(), audio.channels[1].data(), static_cast<int>(demo.frames()));
    return audio;
}

TEST(RenderDemo, RendersWithoutAnInputFile)
{
    Scratch scratch;
    const RunResult run = scratch.run({"demo.wav"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(lineCount(run.err), 3) << run.err; // the summary and the levels
    EXPECT_EQ(run.err.rfind("rendered 352800 frames, 8.00 s of audio, ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("\n  input:  peak "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("\n  output: peak "), std::string::npos) << run.err;
    const Audio demo = readAudio(scratch / "demo.wav");
    EXPECT_EQ(demo.rate, 44100);
    EXPECT_EQ(demo.format, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    ASSERT_EQ(demo.channels.size(), 2u);
    EXPECT_EQ(demo.frames(), 8 * 44100);
    float peak = 0.0f;
    for (const auto& channel : demo.channels)
        for (float v : channel)
            peak = std::max(peak, std::fabs(v));
    EXPECT_GT(peak, 0.1f);
    EXPECT_LE(peak, 1.0f);
}

TEST(RenderDemo, IsThePluginsOutputForTheDemoSourceAtTheChosenRate)
{
    Scratch scratch;
    ASSERT_EQ(scratch.run({"-q", "--float", "--sample-rate", "48000", "--program", "2", "d.wav"})
                  .exitCode,
              0);
    const Audio reference =
        referenceRender(demoInput(48000), [](QevVst& plugin) { plugin.setProgram(2); });
    const Audio demo = readAudio(scratch / "d.wav");
    EXPECT_EQ(demo.rate, 48000);
    EXPECT_TRUE(sameSamples(demo, reference));
}

struct SettingsCase
{
    const char* name;
    std::vector<std::string> args;
    std::function<void(QevVst&)> setup;
    double tempo;
};

void PrintTo(const SettingsCase& c, std::ostream* out)
{
    *out << c.name;
}

class RenderSettings : public ::testing::TestWithParam<SettingsCase>
{
};

TEST_P(RenderSettings, MatchTheSameSettingsInProcess)
{
    Scratch scratch;
    const Audio input = makeSignal(2, 44100, 3 * 44100 / 2);
    writeAudio(scratch / "in.wav", input);
    std::vector<std::string> args = GetParam().args;
    args.insert(args.end(), {"-q", "--block", "300", "in.wav", "out.wav"});
    const RunResult run = scratch.run(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Audio reference = referenceRender(input, GetParam().setup, GetParam().tempo, 300);
    EXPECT_TRUE(sameSamples(readAudio(scratch / "out.wav"), reference));
    // The settings made a difference: the default render is something else.
    EXPECT_FALSE(sameSamples(reference, referenceRender(input)));
}

const SettingsCase settingsCases[] = {
    {"ProgramByNumber", {"--program", "1"}, [](QevVst& p) { p.setProgram(1); }, 120.0},
    {"ProgramByName", {"--program", "Wet Hard Mono"}, [](QevVst& p) { p.setProgram(11); }, 120.0},
    {"ParamByName",
     {"--param", "TYPE=0", "--param", "DRYWET=0.25"},
     [](QevVst& p)
     {
         p.setParameter(6, 0.0f);
         p.setParameter(8, 0.25f);
     },
     120.0},
    {"ParamByIndex", {"--param", "7=0.125"}, [](QevVst& p) { p.setParameter(7, 0.125f); }, 120.0},
    {"ParamsAfterProgramWhateverTheOrder",
     {"--param", "FEEDBACK=0.1", "--program", "3"},
     [](QevVst& p)
     {
         p.setProgram(3);
         p.setParameter(7, 0.1f);
     },
     120.0},
    {"SyncedAtTheDefaultTempo",
     {"--param", "SYNC_SPEED=5"},
     [](QevVst& p) { p.setParameter(2, 5.0f); },
     120.0},
    {"SyncedAtAnotherTempo",
     {"--param", "SYNC_SPEED=5", "--tempo", "87.5"},
     [](QevVst& p) { p.setParameter(2, 5.0f); },
     87.5},
};

INSTANTIATE_TEST_SUITE_P(Cases, RenderSettings, ::testing::ValuesIn(settingsCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RenderSettings, TempoChangesASyncedRender)
{
    Scratch scratch;
    writeAudio(scratch / "in.wav", makeSignal(2, 44100, 44100));
    ASSERT_EQ(scratch.run({"-q", "--param", "SYNC_SPEED=5", "in.wav", "a.wav"}).exitCode, 0);
    ASSERT_EQ(scratch.run({"-q", "--param", "SYNC_SPEED=5", "--tempo", "140", "in.wav", "b.wav"})
                  .exitCode,
              0);
    EXPECT_FALSE(sameSamples(readAudio(scratch / "a.wav"), readAudio(scratch / "b.wav")));
}

TEST(RenderInfo, ListsNamesParametersAndPrograms)
{
    Scratch scratch;
    const RunResult info = scratch.run({"--info", "--program", "4", "--param", "SPEED=0.5"});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    for (const char* expected :
         {"QEV Phaser - QEV", "QEV - Bramblecot", "1000", "'m8g0'", "inputs:         2",
          "can-process-replacing programs-are-chunks", "    1  SPEED         0.5\n",
          "    6  TYPE          1\n", "(current: 4)", "   11  Wet Hard Mono\n", "   19  default\n"})
        EXPECT_NE(info.out.find(expected), std::string::npos) << expected << "\n" << info.out;

    const RunResult list = scratch.run({"--list-programs"});
    ASSERT_EQ(list.exitCode, 0);
    EXPECT_EQ(lineCount(list.out), 20);
    EXPECT_EQ(list.out.rfind("    0  Get Alive\n    1  Slow Sweep\n", 0), 0u) << list.out;
    EXPECT_EQ(scratch.files(), std::set<std::string>{});
}

TEST(RenderBench, ReportsEachType)
{
    Scratch scratch;
    const RunResult bench = scratch.run({"--bench", "0.05"});
    ASSERT_EQ(bench.exitCode, 0) << bench.err;
    for (const char* type : {"TYPE 0: ", "TYPE 1: ", "TYPE 2: "})
        EXPECT_NE(bench.out.find(type), std::string::npos) << bench.out;
    EXPECT_EQ(lineCount(bench.out), 4) << bench.out;
}

} // namespace
} // namespace tooltest
