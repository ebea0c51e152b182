#include "tools/render/TemporaryFiles.h"

#include <unistd.h>

#include <atomic>
#include <climits>

namespace qev::render::temporaryFiles
{

namespace
{

// A signal handler may run on any thread at any moment, even while another thread reuses the
// slot it is reading. The path is written only while the generation is even (not live); the
// handler copies it and uses the copy only if the generation did not move meanwhile. Each
// character is stored with release and loaded with acquire: a handler that sees a character of
// a newer path then also sees the generation that moved before it was written.
struct Slot
{
    std::atomic<bool> taken{false};
    std::atomic<unsigned> generation{0}; // odd: `path` holds a live temporary file
    std::atomic<char> path[PATH_MAX];
};

Slot slots[kCapacity];

static_assert(std::atomic<unsigned>::is_always_lock_free && std::atomic<char>::is_always_lock_free,
              "the signal handler needs lock-free atomics");

} // namespace

int remember(const std::string& path)
{
    if (path.size() >= PATH_MAX)
        return -1;
    for (int token = 0; token < kCapacity; ++token)
    {
        Slot& slot = slots[token];
        bool expected = false;
        if (!slot.taken.compare_exchange_strong(expected, true, std::memory_order_acquire))
            continue;
        for (std::size_t i = 0; i < path.size(); ++i)
            slot.path[i].store(path[i], std::memory_order_release);
        slot.path[path.size()].store('\0', std::memory_order_release);
        slot.generation.fetch_add(1, std::memory_order_release);
        return token;
    }
    return -1;
}

void forget(int token)
{
    if (token < 0 || token >= kCapacity)
        return;
    slots[token].generation.fetch_add(1, std::memory_order_release);
    slots[token].taken.store(false, std::memory_order_release);
}

void removeAll()
{
    for (Slot& slot : slots)
    {
        const unsigned before = slot.generation.load(std::memory_order_acquire);
        if (before % 2 == 0)
            continue;
        char path[PATH_MAX];
        for (std::size_t i = 0; i < PATH_MAX; ++i)
            if ((path[i] = slot.path[i].load(std::memory_order_acquire)) == '\0')
                break;
        path[PATH_MAX - 1] = '\0';
        if (slot.generation.load(std::memory_order_relaxed) == before)
            unlink(path);
    }
}

} // namespace qev::render::temporaryFiles
