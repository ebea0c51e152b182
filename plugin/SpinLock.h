#pragma once

#include <atomic>
#include <thread>

namespace qev
{

// A lock for short sections on the host's non-audio threads (a copy of the program bank at
// most). It never throws and needs nothing from the system but a yield while it waits, so the
// module keeps its small runtime footprint. Never to be taken on the audio thread.
class SpinLock
{
public:
    void lock()
    {
        while (locked.exchange(true, std::memory_order_acquire))
            std::this_thread::yield();
    }
    void unlock() { locked.store(false, std::memory_order_release); }

private:
    std::atomic<bool> locked{false};
};

} // namespace qev
