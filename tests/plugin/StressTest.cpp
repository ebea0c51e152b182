// A host at its most demanding, run under ThreadSanitizer and AddressSanitizer in CI: audio,
// automation and host threads all at once (StressThreads.h). Nothing may be reported, and the
// audio stays finite. The same threads run beside an editor opening and closing in the editor's
// window tests.

#include "tests/plugin/StressThreads.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace
{

TEST(ConcurrencyStress, AudioAutomationAndHostThreadsAtOnce)
{
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    ModuleHost host;
    ASSERT_NE(host.open(), nullptr);
    stress::StressThreads threads(host, seed);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    threads.finish();
    EXPECT_TRUE(threads.finite);
    EXPECT_TRUE(threads.terminated);
    EXPECT_GT(threads.blocks, 10);
}

} // namespace
