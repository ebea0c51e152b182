#pragma once

#include <cstddef>
#include <memory>

#include <signal.h>

namespace qev::render
{

// Signals during a run. Ctrl-C (SIGINT), SIGTERM and SIGHUP stop a render or a bench between
// two blocks instead of killing the process, so that the temporary output files are removed as
// after any other failure. Signals that end the process anyway (a crash in the plug-in, SIGQUIT,
// SIGPIPE, SIGABRT, ...) first remove every temporary file, then end it as they would have
// (exit status, core dump). Only SIGKILL, which nothing can catch, leaves one behind.
// Call once, at the start of main, on the main thread.
void catchSignals();
bool interrupted(); // any thread

// Gives the calling thread its own stack for signal handlers while it lives, so that a crash
// by stack overflow still removes the temporary files. catchSignals gives the main thread one;
// every other thread that runs the plug-in makes one of these first.
class SignalStack
{
public:
    SignalStack();
    ~SignalStack();
    SignalStack(const SignalStack&) = delete;
    SignalStack& operator=(const SignalStack&) = delete;

private:
    std::unique_ptr<char[]> memory;
    stack_t previous{};
};

} // namespace qev::render
