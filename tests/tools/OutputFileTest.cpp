// What replacing an output does to the file system: the replaced file keeps its permissions,
// a symbolic link is written through to its target, and whatever is not a file is refused.
// Rendered audio and saved presets share the mechanism; both are checked.

#include "ToolRunner.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace tooltest
{
namespace
{

struct Writer
{
    const char* name;
    const char* extension;
    std::vector<std::string> args; // "OUT" stands for the output's name
};

void PrintTo(const Writer& writer, std::ostream* out)
{
    *out << writer.name;
}

class OutputFiles : public ::testing::TestWithParam<Writer>
{
protected:
    void SetUp() override
    {
        // 16-bit: a float WAV carries the time of writing, and outputs are compared byte for byte.
        Audio input = makeSignal(2, 44100, 700);
        input.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        writeAudio(scratch / "in.wav", input);
    }

    std::string named(const std::string& stem) const { return stem + GetParam().extension; }

    RunResult writeTo(const std::string& output)
    {
        std::vector<std::string> args = GetParam().args;
        for (std::string& arg : args)
            if (arg == "OUT")
                arg = output;
        return scratch.run(args);
    }

    // Something the tool wrote: longer than the three bytes the tests put in place.
    static bool written(const fs::path& path) { return fs::file_size(path) > 3; }

    static mode_t permissions(const fs::path& path)
    {
        struct stat status = {};
        EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
        return status.st_mode & 07777;
    }

    Scratch scratch;
};

TEST_P(OutputFiles, KeepThePermissionsOfTheFileTheyReplace)
{
    for (const mode_t mode : {0600, 0751})
    {
        const std::string output = named("old");
        writeBytes(scratch / output, {'o', 'l', 'd'});
        ASSERT_EQ(chmod((scratch / output).c_str(), mode), 0);
        const RunResult run = writeTo(output);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_TRUE(written(scratch / output));
        EXPECT_EQ(permissions(scratch / output), mode) << std::oct << mode;
    }
    const mode_t mask = umask(0);
    umask(mask);
    ASSERT_EQ(writeTo(named("new")).exitCode, 0);
    EXPECT_EQ(permissions(scratch / named("new")), 0666 & ~mask);
}

TEST_P(OutputFiles, WriteThroughSymbolicLinksToTheirTarget)
{
    fs::create_directory(scratch / "sub");
    writeBytes(scratch / "sub" / named("real"), {'o', 'l', 'd'});
    ASSERT_EQ(chmod((scratch / "sub" / named("real")).c_str(), 0600), 0);
    // A relative link, a chain of two, and a link whose target does not exist yet.
    fs::create_symlink("sub/" + named("real"), scratch / named("link"));
    fs::create_symlink(named("link"), scratch / named("chain"));
    fs::create_symlink("sub/" + named("later"), scratch / named("dangling"));

    for (const char* link : {"link", "chain", "dangling"})
    {
        const RunResult run = writeTo(named(link));
        ASSERT_EQ(run.exitCode, 0) << link << ": " << run.err;
        EXPECT_TRUE(fs::is_symlink(scratch / named(link))) << link;
    }
    EXPECT_EQ(fs::read_symlink(scratch / named("link")), "sub/" + named("real"));
    EXPECT_EQ(fs::read_symlink(scratch / named("chain")), named("link"));
    EXPECT_TRUE(written(scratch / "sub" / named("real")));
    EXPECT_EQ(permissions(scratch / "sub" / named("real")), 0600u);
    EXPECT_TRUE(written(scratch / "sub" / named("later")));
    EXPECT_EQ(readBytes(scratch / named("link")), readBytes(scratch / named("dangling")));
    EXPECT_EQ(scratch.files(), (std::set<std::string>{"in.wav", "sub", named("link"),
                                                      named("chain"), named("dangling")}));
    std::set<std::string> inSub;
    for (const auto& entry : fs::directory_iterator(scratch / "sub"))
        inSub.insert(entry.path().filename().string());
    EXPECT_EQ(inSub, (std::set<std::string>{named("real"), named("later")}));
}

TEST_P(OutputFiles, RefuseWhatIsNotAFileAndLeaveItAsItWas)
{
    fs::create_directory(scratch / named("folder"));
    ASSERT_EQ(mkfifo((scratch / named("fifo")).c_str(), 0644), 0);
    fs::create_symlink(named("loop"), scratch / named("loop"));
    const std::set<std::string> before = scratch.files();

    const std::pair<std::string, std::string> refusals[] = {
        {named("folder"), "cannot write " + named("folder") + ": it is a folder"},
        {named("fifo"), "cannot write " + named("fifo") + ": it is not a regular file"},
        {named("loop"), "cannot write " + named("loop") + ": Too many levels of symbolic links"},
    };
    for (const auto& [output, message] : refusals)
    {
        const RunResult run = writeTo(output);
        EXPECT_EQ(run.exitCode, 1) << output;
        EXPECT_EQ(run.err, "qev-render: " + message + "\n");
    }
    EXPECT_EQ(scratch.files(), before);
    EXPECT_TRUE(fs::is_directory(scratch / named("folder")));
    EXPECT_TRUE(fs::is_empty(scratch / named("folder")));
    EXPECT_TRUE(fs::is_fifo(scratch / named("fifo")));
}

INSTANTIATE_TEST_SUITE_P(Kinds, OutputFiles,
                         ::testing::Values(Writer{"Audio", ".wav", {"-q", "in.wav", "OUT"}},
                                           Writer{"Preset", ".fxp", {"--save", "OUT"}}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tooltest
