// A host that creates and closes instances all session long, and loads and unloads the module
// as users rescan or open projects: after a thousand of each, the process holds as much heap,
// as many file descriptors and as many threads as before.

#include "tests/plugin/ModuleHost.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <malloc.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's own allocator keeps the count (declared here: not every compiler ships the
// header that declares it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace
{

constexpr int kCycles = 1000;

long entriesIn(const char* folder)
{
    long count = 0;
    if (DIR* dir = opendir(folder))
    {
        while (const dirent* entry = readdir(dir))
            count += entry->d_name[0] != '.';
        closedir(dir);
    }
    return count;
}

struct Resources
{
    long heapBytes;
    long fds;
    long threads;
};

Resources resourcesNow()
{
#if defined(__SANITIZE_ADDRESS__)
    const long heap = static_cast<long>(__sanitizer_get_current_allocated_bytes());
#else
    const long heap = static_cast<long>(mallinfo2().uordblks);
#endif
    // Counted before the folder is opened, which takes a descriptor of its own while it reads.
    return {heap, entriesIn("/proc/self/fd"), entriesIn("/proc/self/task")};
}

bool moduleMapped()
{
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find(QEV_MODULE_PATH) != std::string::npos)
            return true;
    return false;
}

void processOneBlock(AEffect* effect)
{
    std::vector<float> left(256, 0.25f), right(256, -0.25f);
    float* buffers[2] = {left.data(), right.data()};
    effect->processReplacing(effect, buffers, buffers, 256);
}

// heapSlack: growth allowed that does not come from the cycles themselves (see the load test).
void expectBackToStart(const Resources& start, const char* what, long heapSlack = 0)
{
    const Resources end = resourcesNow();
    std::printf("%s: heap %ld -> %ld bytes, fds %ld -> %ld, threads %ld -> %ld\n", what,
                start.heapBytes, end.heapBytes, start.fds, end.fds, start.threads, end.threads);
    EXPECT_LE(end.heapBytes - start.heapBytes, heapSlack) << what;
    EXPECT_GE(end.heapBytes, start.heapBytes - heapSlack) << what;
    EXPECT_EQ(end.fds, start.fds) << what;
    EXPECT_EQ(end.threads, start.threads) << what;
}

TEST(ModuleLifecycle, ThousandInstancesLeaveNothingBehind)
{
    ModuleHost host;
    ASSERT_TRUE(host.loaded()) << host.loadError();
    ASSERT_NE(host.open(), nullptr); // the first instance sets up what the module keeps
    processOneBlock(host.effect);
    host.closeEffect();
    const Resources start = resourcesNow();
    for (int i = 0; i < kCycles; ++i)
    {
        ASSERT_NE(host.open(), nullptr);
        processOneBlock(host.effect);
        host.closeEffect();
    }
    expectBackToStart(start, "create/close");
}

TEST(ModuleLifecycle, ThousandLoadsAndUnloadsLeaveNothingBehind)
{
    // The system's loader and the window-system libraries the module links (X11, fontconfig,
    // FreeType, libpng) keep bookkeeping of their own across loads: a library that only links
    // them and does nothing grows by about 30 KB over its first 300 loads, then by a few hundred
    // bytes now and then (about 1.5 bytes a load on average, in steps). What is measured is what
    // follows the warm-up, with room for those steps but not for a leak: losing even the
    // smallest allocation (32 bytes of heap) on every load would take twice the room.
#if defined(__SANITIZE_ADDRESS__)
    // Built with AddressSanitizer, a module that has made an instance keeps some sanitizer-counted
    // heap per load after it is unloaded: exactly 260 bytes a load (130 before the GDI registry
    // took its lock), none in the same module built without the sanitizer. Not yet explained;
    // larger losses per load still fail here.
    constexpr long kLoaderSteps = kCycles * 512;
#else
    constexpr long kLoaderSteps = kCycles * 16;
#endif
    for (int i = 0; i < 300; ++i)
    {
        ModuleHost warmUp;
        ASSERT_NE(warmUp.open(), nullptr);
        processOneBlock(warmUp.effect);
    }
    ASSERT_FALSE(moduleMapped()) << "the module stays loaded after its last user";
    const Resources start = resourcesNow();
    for (int i = 0; i < kCycles; ++i)
    {
        ModuleHost host;
        ASSERT_NE(host.open(), nullptr);
        processOneBlock(host.effect);
    }
    EXPECT_FALSE(moduleMapped());
    expectBackToStart(start, "load/unload", kLoaderSteps);
}

} // namespace
