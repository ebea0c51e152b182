#include "tools/render/Signals.h"

#include "tools/render/TemporaryFiles.h"

#include <atomic>
#include <cerrno>
#include <csignal>

namespace qev::render
{

namespace
{

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

constexpr int kStoppingSignals[] = {SIGINT, SIGTERM, SIGHUP};
// Everything whose default action ends the process and that a crash or the system may send.
constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS,  SIGFPE,  SIGILL,  SIGABRT, SIGSYS, SIGQUIT,
                                 SIGPIPE, SIGXCPU, SIGXFSZ, SIGALRM, SIGUSR1, SIGUSR2};

constexpr std::size_t kSignalStackBytes = 64 * 1024;

extern "C" void onStoppingSignal(int)
{
    stopRequested.store(true);
}

// The disposition was reset to the default on entry (SA_RESETHAND) and the signal is blocked
// while this runs: raised again, it ends the process as soon as the handler returns. A fault
// that is not raised but repeats on return (a bad memory access) does the same.
extern "C" void onFatalSignal(int signal)
{
    const int savedErrno = errno;
    temporaryFiles::removeAll();
    errno = savedErrno;
    raise(signal);
}

void install(int signal, void (*handler)(int), int flags)
{
    struct sigaction action = {};
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

} // namespace

void catchSignals()
{
    static SignalStack mainThreadStack;
    for (int signal : kStoppingSignals)
        install(signal, onStoppingSignal, SA_RESTART);
    for (int signal : kFatalSignals)
        install(signal, onFatalSignal, SA_RESETHAND | SA_ONSTACK);
}

bool interrupted()
{
    return stopRequested.load(std::memory_order_relaxed);
}

SignalStack::SignalStack() : memory(new char[kSignalStackBytes])
{
    stack_t stack = {};
    stack.ss_sp = memory.get();
    stack.ss_size = kSignalStackBytes;
    sigaltstack(&stack, &previous);
}

SignalStack::~SignalStack()
{
    sigaltstack(&previous, nullptr);
}

} // namespace qev::render
