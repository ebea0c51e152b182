// processReplacing allocates nothing: every allocation in the process goes through the
// counting malloc family below, the module's own C++ runtime included (it calls the C
// library's malloc, which this executable interposes). Not built with the sanitizers, which
// bring their own allocator.

#include "tests/plugin/ModuleHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <vector>

extern "C"
{
    void* __libc_malloc(size_t);
    void* __libc_calloc(size_t, size_t);
    void* __libc_realloc(void*, size_t);
    void __libc_free(void*);
}

namespace
{
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
std::atomic<long> releases{0};

void note()
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
}
} // namespace

extern "C"
{
    __attribute__((visibility("default"))) void* malloc(size_t size)
    {
        note();
        return __libc_malloc(size);
    }
    __attribute__((visibility("default"))) void* calloc(size_t count, size_t size)
    {
        note();
        return __libc_calloc(count, size);
    }
    __attribute__((visibility("default"))) void* realloc(void* p, size_t size)
    {
        note();
        return __libc_realloc(p, size);
    }
    __attribute__((visibility("default"))) void free(void* p)
    {
        if (p && counting.load(std::memory_order_relaxed))
            releases.fetch_add(1, std::memory_order_relaxed);
        __libc_free(p);
    }
}

namespace
{

TEST(Allocation, CountingSeesTheModulesAllocations)
{
    ModuleHost host;
    counting = true;
    const long before = allocations;
    ASSERT_NE(host.open(), nullptr); // the constructor allocates the engine and the banks
    counting = false;
    EXPECT_GT(allocations - before, 5);
}

TEST(Allocation, ProcessingAllocatesNothing)
{
    for (bool withTime : {false, true})
    {
        HostAnswers answers;
        answers.giveTimeInfo = withTime;
        ModuleHost host(answers);
        ASSERT_NE(host.open(), nullptr);
        std::vector<float> left(512, 0.25f), right(512, -0.25f);
        float* buffers[2] = {left.data(), right.data()};
        host.effect->processReplacing(host.effect, buffers, buffers, 512); // warm up
        counting = true;
        const long before = allocations;
        for (int block = 0; block < 200; ++block)
        {
            host.effect->setParameter(host.effect, 1 + block % 9, 0.5f);
            host.effect->processReplacing(host.effect, buffers, buffers, 512);
        }
        counting = false;
        EXPECT_EQ(allocations - before, 0) << "with time info: " << withTime;
    }
}

// A new sample rate's engine is built on the host's thread; the audio thread only takes it
// over, and the engine it replaces is freed later, off the audio thread.
TEST(Allocation, TakingOverANewEngineAllocatesAndFreesNothing)
{
    ModuleHost host;
    ASSERT_NE(host.open(), nullptr);
    std::vector<float> left(512, 0.25f), right(512, -0.25f);
    float* buffers[2] = {left.data(), right.data()};
    host.effect->processReplacing(host.effect, buffers, buffers, 512);
    for (float rate : {48000.0f, 96000.0f, 44100.0f})
    {
        counting = true;
        const long freedBySetting = releases;
        host.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        counting = false;
        // From the second change on, the engine retired at the last block is freed here.
        if (rate != 48000.0f)
        {
            EXPECT_GT(releases - freedBySetting, 0) << rate;
        }
        counting = true;
        const long allocatedBefore = allocations;
        const long freedBefore = releases;
        host.effect->processReplacing(host.effect, buffers, buffers, 512);
        counting = false;
        EXPECT_EQ(allocations - allocatedBefore, 0) << rate;
        EXPECT_EQ(releases - freedBefore, 0) << rate;
    }
}

} // namespace
