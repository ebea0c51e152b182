// Every way a run can fail: one line on stderr, a non-zero exit code, and the folder exactly as
// it was (no output file, no temporary file, an existing output untouched).

#include "ToolRunner.h"
#include "plugin/VstInterface.h"
#include "tools/render/PresetFile.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

namespace tooltest
{
namespace
{

struct Failure
{
    const char* name;
    std::vector<std::string> args; // run in a folder holding the files listed below
    const char* message;
    int exitCode;
};

void PrintTo(const Failure& failure, std::ostream* out)
{
    *out << failure.name;
}

class Errors : public ::testing::TestWithParam<Failure>
{
};

// Every failing run finds these: inputs of all kinds and an earlier output it must not touch.
void prepare(const Scratch& scratch)
{
    writeAudio(scratch / "in.wav", makeSignal(2, 44100, 1000));
    Audio three = makeSignal(3, 44100, 100);
    writeAudio(scratch / "three.wav", three);
    writeAudio(scratch / "slow.wav", makeSignal(2, 100, 100));
    writeBytes(scratch / "text.wav", {'n', 'o', 't', ' ', 'a', 'u', 'd', 'i', 'o'});
    writeBytes(scratch / "old.wav", {'o', 'l', 'd'});
    writeBytes(scratch / "notamodule.so", {'E', 'L', 'F'});
    fs::create_directory(scratch / "outdir");
    // A chunk preset that names the probe module, which keeps no chunks.
    qev::render::PresetFile chunk;
    chunk.uniqueId = fourCC("Prb1");
    chunk.numParams = 2;
    chunk.chunk.assign(64, 0);
    writeBytes(scratch / "chunk.fxp", qev::render::encodePreset(chunk));
}

TEST_P(Errors, ReportOneLineAndLeaveNoFile)
{
    Scratch scratch;
    prepare(scratch);
    const std::set<std::string> before = scratch.files();
    for (const char* output : {"new.wav", "old.wav"})
    {
        std::vector<std::string> args = GetParam().args;
        for (std::string& arg : args)
            if (arg == "OUT")
                arg = output;
        const RunResult run = scratch.run(args);
        EXPECT_EQ(run.exitCode, GetParam().exitCode) << run.err;
        EXPECT_EQ(run.err.rfind("qev-render: ", 0), 0u) << run.err;
        EXPECT_EQ(lineCount(run.err), 1) << run.err;
        EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(scratch.files(), before);
    EXPECT_EQ(readText(scratch / "old.wav"), "old");
}

const Failure failures[] = {
    // Input files.
    {"MissingInput", {"missing.wav", "OUT"}, "cannot read missing.wav: No such file", 1},
    {"UnreadableInput", {"text.wav", "OUT"}, "cannot read text.wav: not an audio file", 1},
    {"InputIsAFolder", {".", "OUT"}, "cannot read .: it is a folder", 1},
    {"ThreeChannels", {"three.wav", "OUT"}, "has 3 channels", 1},
    {"InputAt100Hz", {"slow.wav", "OUT"}, "slow.wav is recorded at 100 Hz", 1},
    {"OutputFolderMissing", {"in.wav", "nowhere/out.wav"}, "cannot create a file next to", 1},
    {"UnknownOutputFormat", {"OUT.xyz"}, "cannot tell the audio format", 1},
    // Settings.
    {"UnknownProgramName", {"--program", "Fast Sweep", "OUT"}, "unknown program \"Fast Sweep\"", 1},
    {"ProgramNumberTooLarge", {"--program", "20", "OUT"}, "no program 20", 1},
    {"UnknownParameter", {"--param", "SPEEED=0.5", "OUT"}, "unknown parameter \"SPEEED\"", 1},
    {"AmbiguousParameter", {"--param", "Param=0.5", "OUT"}, "give its index instead", 1},
    {"ParameterIndexTooLarge", {"--param", "23=0.5", "OUT"}, "no parameter 23", 1},
    {"ParameterWithoutValue", {"--param", "TYPE", "OUT"}, "NAME=VALUE", 2},
    {"ParameterValueNotANumber", {"--param", "TYPE=two", "OUT"}, "is not a number", 2},
    {"ParameterValueInfinite", {"--param", "TYPE=inf", "OUT"}, "is not a number", 2},
    {"ParameterValueTrailingText", {"--param", "TYPE=1x", "OUT"}, "is not a number", 2},
    {"MissingPresetFile", {"--load", "none.fxb", "OUT"}, "cannot read preset file none.fxb", 1},
    {"PresetNameWithoutKind", {"--save", "state.bin", "OUT"}, "name it .fxp", 1},
    // Numbers on the command line.
    {"TempoZero", {"--tempo", "0", "OUT"}, "bad number for --tempo", 2},
    {"TempoText", {"--tempo", "fast", "OUT"}, "bad number for --tempo", 2},
    {"BlockZero", {"--block", "0", "OUT"}, "bad number for --block", 2},
    {"BlockNegative", {"--block", "-64", "OUT"}, "bad number for --block", 2},
    {"BlockFraction", {"--block", "64.5", "OUT"}, "bad number for --block", 2},
    {"BlockHuge", {"--block", "99999999999", "OUT"}, "bad number for --block", 2},
    {"SampleRateTooLow", {"--sample-rate", "100", "OUT"}, "bad number for --sample-rate", 2},
    {"SampleRateWithInput", {"--sample-rate", "48000", "in.wav", "OUT"}, "demo only", 2},
    {"BenchText", {"--bench", "long"}, "bad number for --bench", 2},
    {"MissingValue", {"OUT", "--tempo"}, "--tempo needs a value", 2},
    {"UnknownOption", {"--loud", "OUT"}, "unknown option --loud", 2},
    {"NoOutput", {}, "no OUTPUT", 2},
    {"TooManyFiles", {"in.wav", "in.wav", "OUT"}, "too many file names", 2},
    {"TailNegative", {"--tail", "-1", "OUT"}, "bad value for --tail: \"-1\"", 2},
    {"TailWord", {"--tail", "forever", "OUT"}, "expected auto or seconds", 2},
    {"JobsZero", {"--jobs", "0", "in.wav", "-o", "outdir"}, "bad number for --jobs", 2},
    // Batches: whatever concerns the whole batch is checked before any file is written.
    {"BatchWithoutInputs", {"-o", "outdir"}, "give at least one", 2},
    {"BatchFolderEmpty", {"in.wav", "--output-dir", ""}, "--output-dir needs a folder", 2},
    {"BatchFolderMissing", {"in.wav", "-o", "nowhere"}, "no output folder nowhere", 1},
    {"BatchFolderIsAFile", {"in.wav", "-o", "in.wav"}, "output folder in.wav is not a folder", 1},
    {"BatchSameNameTwice",
     {"in.wav", "./in.wav", "-o", "outdir"},
     "in.wav and ./in.wav would both be written to outdir/in.wav",
     2},
    {"BatchOverItsInput", {"in.wav", "-o", "."}, "./in.wav would replace the input in.wav", 2},
    {"BatchWithBench", {"--bench", "1", "in.wav", "-o", "outdir"}, "--bench renders without", 2},
    {"BatchWithAnUnknownProgram",
     {"--program", "Fast Sweep", "in.wav", "-o", "outdir"},
     "unknown program",
     1},
    // Modules.
    {"ModuleMissing", {"--plugin", "gone.so", "OUT"}, "plug-in module not found: gone.so", 1},
    {"ModuleNotALibrary", {"--plugin", "./notamodule.so", "OUT"}, "cannot load plug-in module", 1},
    {"ModuleWithoutEntry",
     {"--plugin", QEV_FAKE_NO_ENTRY, "OUT"},
     "exports neither VSTPluginMain nor main",
     1},
    {"ModuleWithNullRecord", {"--plugin", QEV_FAKE_NULL_RECORD, "OUT"}, "entry returned null", 1},
    {"ModuleWithBadMagic", {"--plugin", QEV_FAKE_BAD_MAGIC, "OUT"}, "wrong magic number", 1},
    {"ModuleNotStereo", {"--plugin", QEV_FAKE_MONO, "OUT"}, "1 inputs and 1 outputs", 1},
    {"ChunkPresetForAListPlugin",
     {"--plugin", QEV_FAKE_PROBE, "--load", "chunk.fxp", "OUT"},
     "does not use",
     1},
};

INSTANTIATE_TEST_SUITE_P(Runs, Errors, ::testing::ValuesIn(failures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Interrupt, StopsTheRenderAndRemovesTheUnfinishedFile)
{
    Scratch scratch;
    writeBytes(scratch / "old.wav", {'o', 'l', 'd'});
    // Block size 1 at the highest rate: minutes of work, so the signal lands mid-render.
    const pid_t pid = scratch.start({"--sample-rate", "384000", "--block", "1", "old.wav"});
    ASSERT_GT(pid, 0);
    // Wait until the temporary file exists, i.e. rendering has begun.
    for (int tries = 0; scratch.files().size() < 2 && tries < 20000; ++tries)
        usleep(1000);
    EXPECT_EQ(scratch.files().size(), 2u);
    kill(pid, SIGINT);
    const RunResult run = scratch.finish(pid);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("interrupted"), std::string::npos) << run.err;
    EXPECT_EQ(scratch.files(), std::set<std::string>{"old.wav"});
    EXPECT_EQ(readText(scratch / "old.wav"), "old");
}

} // namespace
} // namespace tooltest
