// Signals arriving mid-run, raised from inside the probe plug-in so that they land at a known
// point: an interrupt stops the run cleanly, a crash still takes the unfinished file with it,
// and neither touches an existing output.

#include "ToolRunner.h"

#include <gtest/gtest.h>

#include <csignal>

namespace tooltest
{
namespace
{

struct SignalCase
{
    const char* name;
    int signal;
    bool stopsTheRun; // handled as an interrupt (exit 1); otherwise the process dies of it
};

void PrintTo(const SignalCase& c, std::ostream* out)
{
    *out << c.name;
}

class Signals : public ::testing::TestWithParam<SignalCase>
{
};

// The probe passes its input through and raises the signal from its second block on.
std::vector<std::string> raising(int signal)
{
    return {"--plugin", QEV_FAKE_PROBE, "--block", "100",
            "--param",  "mode=5",       "--param", "gain=" + std::to_string(signal)};
}

TEST_P(Signals, DuringARenderLeaveNoFileBehind)
{
    Scratch scratch;
    writeAudio(scratch / "in.wav", makeSignal(2, 44100, 2000));
    writeBytes(scratch / "old.wav", {'o', 'l', 'd'});
    const std::set<std::string> before = scratch.files();
    for (const char* output : {"new.wav", "old.wav"})
    {
        std::vector<std::string> args = raising(GetParam().signal);
        args.insert(args.end(), {"-q", "in.wav", output});
        const RunResult run = scratch.run(args);
        if (GetParam().stopsTheRun)
        {
            EXPECT_EQ(run.exitCode, 1) << run.err;
            EXPECT_EQ(run.err, "qev-render: interrupted; no output file was written\n");
        }
        else
        {
            EXPECT_EQ(run.exitCode, 128 + GetParam().signal) << run.err;
        }
        EXPECT_EQ(scratch.files(), before) << output;
    }
    EXPECT_EQ(readText(scratch / "old.wav"), "old");
}

TEST(BatchSignals, LeaveNoFileBehind)
{
    // The handling is the same as for a single render; one signal of each kind.
    for (const auto& [signal, ending] : {std::pair{SIGTERM, 1}, std::pair{SIGSEGV, 128 + SIGSEGV}})
    {
        Scratch scratch;
        fs::create_directory(scratch / "out");
        for (const char* input : {"a.wav", "b.wav", "c.wav"})
            writeAudio(scratch / input, makeSignal(1, 8000, 1000));
        // One worker: the probe keeps its state in globals, which two would share.
        std::vector<std::string> args = raising(signal);
        args.insert(args.end(), {"-q", "-j", "1", "a.wav", "b.wav", "c.wav", "-o", "out"});
        const RunResult run = scratch.run(args);
        EXPECT_EQ(run.exitCode, ending) << run.err;
        if (signal == SIGTERM)
        {
            EXPECT_EQ(run.err, "qev-render: interrupted; 0 of 3 files were written\n");
        }
        EXPECT_TRUE(fs::is_empty(scratch / "out")) << signal;
    }
}

TEST(BenchSignals, InterruptsStopIt)
{
    Scratch scratch;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
    {
        // An hour of audio: without the stop, seconds of raised signals and exit code 0.
        std::vector<std::string> args = raising(signal);
        args.insert(args.end(), {"--bench", "3600"});
        const RunResult run = scratch.run(args);
        EXPECT_EQ(run.exitCode, 1) << "signal " << signal << ": " << run.err;
        EXPECT_EQ(run.err, "qev-render: interrupted\n");
    }
    EXPECT_EQ(scratch.files(), std::set<std::string>{});
}

const SignalCase signalCases[] = {
    {"Interrupt", SIGINT, true},
    {"Terminate", SIGTERM, true},
    {"HangUp", SIGHUP, true},
    {"SegmentationFault", SIGSEGV, false},
    {"Abort", SIGABRT, false},
    {"BusError", SIGBUS, false},
    {"FloatingPointError", SIGFPE, false},
    {"IllegalInstruction", SIGILL, false},
    {"Quit", SIGQUIT, false},
    {"BrokenPipe", SIGPIPE, false},
};

INSTANTIATE_TEST_SUITE_P(Kinds, Signals, ::testing::ValuesIn(signalCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tooltest
