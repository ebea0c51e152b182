// The user's hand in the editor tests that play real input: a script run on a thread of its own,
// so that input keeps coming while the host's GUI thread sits in a knob's loop or a menu's.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace editortest
{

class InputThread
{
public:
    explicit InputThread(std::function<void()> script)
        : thread(
              [this, script]
              {
                  script();
                  finished.store(true);
              })
    {
    }
    // Waits for the script's end.
    ~InputThread() { thread.join(); }
    InputThread(const InputThread&) = delete;
    InputThread& operator=(const InputThread&) = delete;

    bool done() const { return finished.load(); }

private:
    std::atomic<bool> finished{false};
    std::thread thread;
};

} // namespace editortest
