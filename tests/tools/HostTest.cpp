// What the tool answers a plug-in, seen from inside one: the probe module reports the host's
// answers through its output samples (see FakeModule.cpp). The probe also covers a plug-in
// without chunks, loaded through its "main" entry, and its parameter-list preset files.

#include "ToolRunner.h"
#include "plugin/VstInterface.h"

#include <gtest/gtest.h>

namespace tooltest
{
namespace
{

constexpr int kRate = 48000;
constexpr int kBlock = 100;
constexpr int kFrames = 1050;

Audio probe(Scratch& scratch, int mode, const std::vector<std::string>& extra = {})
{
    writeAudio(scratch / "in.wav", makeSignal(2, kRate, kFrames));
    std::vector<std::string> args = {"-q",
                                     "--plugin",
                                     QEV_FAKE_PROBE,
                                     "--block",
                                     "100",
                                     "--param",
                                     "mode=" + std::to_string(mode)};
    args.insert(args.end(), extra.begin(), extra.end());
    args.insert(args.end(), {"in.wav", "out.wav"});
    const RunResult run = scratch.run(args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return readAudio(scratch / "out.wav");
}

TEST(HostAnswers, PositionsAdvanceBlockByBlock)
{
    Scratch scratch;
    const Audio out = probe(scratch, 1, {"--tempo", "150"});
    ASSERT_EQ(out.frames(), kFrames);
    for (int n = 0; n < kFrames; ++n)
    {
        const double blockStart = n / kBlock * kBlock;
        ASSERT_EQ(out.channels[0][static_cast<std::size_t>(n)], static_cast<float>(blockStart))
            << n;
        ASSERT_EQ(out.channels[1][static_cast<std::size_t>(n)],
                  static_cast<float>(blockStart / kRate * 150.0 / 60.0))
            << n;
    }
}

TEST(HostAnswers, TempoAndFlags)
{
    Scratch scratch;
    const Audio out = probe(scratch, 2, {"--tempo", "93.5"});
    ASSERT_EQ(out.frames(), kFrames);
    EXPECT_EQ(out.channels[0][0], 93.5f);
    const int flags = static_cast<int>(out.channels[1][0]);
    EXPECT_TRUE(flags & kVstTransportPlaying);
    EXPECT_TRUE(flags & kVstTempoValid);
    EXPECT_TRUE(flags & kVstPpqPosValid);
    EXPECT_FALSE(flags & kVstBarsValid); // no bar position is given
    EXPECT_EQ(probe(scratch, 2).channels[0][0], 120.0f);
}

TEST(HostAnswers, SampleRateVersionNamesAndSilenceForTheRest)
{
    Scratch scratch;
    const Audio rate = probe(scratch, 3);
    EXPECT_EQ(rate.channels[0][kFrames - 1], static_cast<float>(kRate));
    EXPECT_EQ(rate.channels[1][kFrames - 1], 2400.0f);
    const Audio names = probe(scratch, 4);
    EXPECT_EQ(names.channels[0][0], 1.0f);
    EXPECT_EQ(names.channels[1][0], 0.0f);
}

TEST(HostAnswers, ParametersAndProgramsOfAnotherPlugin)
{
    Scratch scratch;
    const Audio input = makeSignal(2, kRate, kFrames);
    const Audio out = probe(scratch, 0, {"--program", "second", "--param", "1=0.25"});
    ASSERT_EQ(out.frames(), kFrames);
    for (std::size_t c = 0; c < 2; ++c)
        EXPECT_EQ(out.channels[c][7], input.channels[c][7] * 0.25f);

    const RunResult info = scratch.run({"--plugin", QEV_FAKE_PROBE, "--info"});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find("'Prb1'"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("flags:          can-process-replacing\n"), std::string::npos);
    EXPECT_NE(info.out.find("    1  second\n"), std::string::npos);
}

TEST(HostPresets, ParameterListFilesRoundTrip)
{
    Scratch scratch;
    const std::string probeModule = QEV_FAKE_PROBE;
    for (const char* kind : {"fxp", "fxb"})
    {
        const std::string first = std::string("first.") + kind;
        const std::string second = std::string("second.") + kind;
        ASSERT_EQ(scratch
                      .run({"--plugin", probeModule, "--program", "1", "--param", "gain=0.75",
                            "--save", first})
                      .exitCode,
                  0);
        const std::vector<std::uint8_t> bytes = readBytes(scratch / first);
        ASSERT_GE(bytes.size(), 12u);
        EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 12),
                  kind == std::string("fxp") ? "FxCk" : "FxBk");
        const RunResult run =
            scratch.run({"--plugin", probeModule, "--load", first, "--save", second, "--info"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(readBytes(scratch / second), bytes) << kind;
        EXPECT_NE(run.out.find("    1  gain          0.75\n"), std::string::npos) << run.out;
    }
    // A parameter list is refused by a plug-in that keeps its state as a chunk.
    const RunResult chunked = scratch.run({"--load", "first.fxp", "out.wav"});
    EXPECT_EQ(chunked.exitCode, 1);
    EXPECT_NE(chunked.err.find("another plug-in"), std::string::npos) << chunked.err;
}

} // namespace
} // namespace tooltest
