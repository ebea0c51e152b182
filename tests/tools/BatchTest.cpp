// Batches: many inputs into a folder on several workers, each file the same as when rendered
// alone, a failing file reported without stopping the others, progress over the whole batch.
// The suites named ...Concurrency also run with the tool built under ThreadSanitizer.

#include "ToolRunner.h"

#include <gtest/gtest.h>

namespace tooltest
{
namespace
{

struct InputFile
{
    const char* name;
    int channels;
    int rate;
    int format;
    int frames;
};

// Mixed shapes and formats, so that a mix-up between files cannot go unseen.
const InputFile kInputs[] = {
    {"a.wav", 2, 44100, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 5000},
    {"b.flac", 1, 48000, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 3000},
    {"c.aiff", 2, 22050, SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 4000},
    {"d.wav", 1, 8000, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2500},
};

// Settings that make every file ring out for a different time after its end.
const std::vector<std::string> kSettings = {"--program", "3",    "--param", "FEEDBACK=0.7",
                                            "--tail",    "auto", "--block", "300"};

void writeInputs(const Scratch& scratch)
{
    for (const InputFile& file : kInputs)
    {
        Audio audio = makeSignal(file.channels, file.rate, file.frames);
        audio.format = file.format;
        writeAudio(scratch / file.name, audio);
    }
}

std::vector<std::string> withSettings(std::vector<std::string> args)
{
    args.insert(args.begin(), kSettings.begin(), kSettings.end());
    return args;
}

// The file each input gives when rendered alone, with the same settings.
Audio renderAlone(const Scratch& scratch, const std::string& input, const std::string& output,
                  const std::vector<std::string>& extra = {})
{
    std::vector<std::string> args = withSettings(extra);
    args.insert(args.end(), {"-q", input, output});
    const RunResult run = scratch.run(args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return readAudio(scratch / output);
}

std::set<std::string> filesIn(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

TEST(BatchConcurrency, TwoWorkersGiveEachFileAsRenderedAlone)
{
    Scratch scratch;
    writeInputs(scratch);
    fs::create_directory(scratch / "out");
    std::vector<std::string> args = {"--jobs", "2"};
    for (const InputFile& file : kInputs)
        args.push_back(file.name);
    args.insert(args.end(), {"-o", "out"});
    const RunResult run = scratch.run(withSettings(args));
    ASSERT_EQ(run.exitCode, 0) << run.err;

    std::set<std::string> names;
    for (const InputFile& file : kInputs)
    {
        names.insert(file.name);
        const Audio batch = readAudio(scratch / "out" / file.name);
        const Audio alone = renderAlone(scratch, file.name, std::string("alone-") + file.name);
        EXPECT_EQ(batch.format, file.format) << file.name;
        EXPECT_EQ(batch.rate, file.rate) << file.name;
        EXPECT_GT(batch.frames(), file.frames) << file.name; // with its tail
        EXPECT_TRUE(sameSamples(batch, alone)) << file.name;
        // Each file's report, in whatever order the workers finished.
        EXPECT_NE(run.err.find("out/" + std::string(file.name) + ": " +
                               std::to_string(batch.frames()) + " frames (a tail of "),
                  std::string::npos)
            << run.err;
    }
    EXPECT_EQ(filesIn(scratch / "out"), names);
    EXPECT_EQ(lineCount(run.err), 4 * 3 + 1) << run.err;
    EXPECT_NE(run.err.find("\nrendered 4 files, "), std::string::npos) << run.err;
}

TEST(BatchConcurrency, AnUnreadableFileFailsAloneAndTheExitStatusSaysSo)
{
    Scratch scratch;
    writeInputs(scratch);
    writeBytes(scratch / "bad.wav", {'n', 'o', 't', ' ', 'a', 'u', 'd', 'i', 'o'});
    fs::create_directory(scratch / "out");
    // --float names every output .wav.
    const RunResult run = scratch.run(withSettings(
        {"-q", "--float", "-j", "2", "a.wav", "bad.wav", "b.flac", "missing.wav", "-o", "out/"}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("qev-render: cannot read bad.wav: not an audio file"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("qev-render: cannot read missing.wav: No such file or directory\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("qev-render: 2 of 4 files failed\n"), std::string::npos) << run.err;
    EXPECT_EQ(lineCount(run.err), 3) << run.err;

    EXPECT_EQ(filesIn(scratch / "out"), (std::set<std::string>{"a.wav", "b.wav"}));
    EXPECT_TRUE(sameSamples(readAudio(scratch / "out/a.wav"),
                            renderAlone(scratch, "a.wav", "alone-a.wav", {"--float"})));
    const Audio b = readAudio(scratch / "out/b.wav");
    EXPECT_EQ(b.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_TRUE(sameSamples(b, renderAlone(scratch, "b.flac", "alone-b.wav", {"--float"})));
}

TEST(BatchProgress, CountsTheFilesOfTheWholeBatch)
{
    Scratch scratch;
    writeInputs(scratch);
    fs::create_directory(scratch / "out");
    const std::string shown =
        scratch.runOnATerminal({"-j", "2", "a.wav", "b.flac", "c.aiff", "-o", "out"});
    EXPECT_NE(shown.find("%  "), std::string::npos) << shown;
    EXPECT_NE(shown.find(" of 3 files"), std::string::npos) << shown;
    EXPECT_NE(shown.find("rendered 3 files, "), std::string::npos) << shown;
    EXPECT_EQ(filesIn(scratch / "out"), (std::set<std::string>{"a.wav", "b.flac", "c.aiff"}));
}

} // namespace
} // namespace tooltest
