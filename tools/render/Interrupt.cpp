#include "tools/render/Interrupt.h"

#include <csignal>

namespace qev::render
{

namespace
{

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void onInterrupt(int)
{
    stopRequested = 1;
}

} // namespace

void catchInterrupts()
{
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool interrupted()
{
    return stopRequested != 0;
}

} // namespace qev::render
