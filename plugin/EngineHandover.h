#pragma once

#include <atomic>
#include <memory>
#include <utility>

namespace qev
{

// Hands a replacement object built on another thread to the audio thread, without a lock and
// without the audio thread ever allocating or freeing.
//
// A non-audio thread offers a complete replacement (any number of threads may offer at once;
// an offer not yet taken is freed by the next one, only the newest matters). The audio thread
// takes it between blocks and retires the object it replaced onto a list that the next offer()
// or collect(), on a non-audio thread, frees. Each offer carries the list node its retired
// object will travel in, so taking allocates nothing.
template <typename T> class EngineHandover
{
public:
    EngineHandover() = default;
    EngineHandover(const EngineHandover&) = delete;
    EngineHandover& operator=(const EngineHandover&) = delete;
    ~EngineHandover()
    {
        delete pending.load(std::memory_order_acquire);
        collect();
    }

    // Non-audio threads.
    void offer(std::unique_ptr<T> next)
    {
        collect();
        delete pending.exchange(new Node{std::move(next), nullptr}, std::memory_order_acq_rel);
    }

    // Non-audio threads: frees what the audio thread has retired.
    void collect()
    {
        Node* node = retired.exchange(nullptr, std::memory_order_acquire);
        while (node)
        {
            Node* next = node->next;
            delete node;
            node = next;
        }
    }

    // Audio thread, between blocks. When a replacement is waiting, calls carryOver(current,
    // next) so that state that outlives the replacement moves across, makes next current and
    // retires the old one. Answers whether it did. Lock-free: a few atomic operations, and a
    // retry of the retiring push only when a collect() emptied the list meanwhile.
    template <typename CarryOver> bool take(std::unique_ptr<T>& current, CarryOver carryOver)
    {
        if (!pending.load(std::memory_order_relaxed))
            return false;
        Node* node = pending.exchange(nullptr, std::memory_order_acquire);
        if (!node)
            return false;
        carryOver(*current, *node->object);
        std::swap(current, node->object);
        node->next = retired.load(std::memory_order_relaxed);
        while (!retired.compare_exchange_weak(node->next, node, std::memory_order_release,
                                              std::memory_order_relaxed))
        {
        }
        return true;
    }

private:
    struct Node
    {
        std::unique_ptr<T> object;
        Node* next;
    };

    std::atomic<Node*> pending{nullptr};
    std::atomic<Node*> retired{nullptr};
};

} // namespace qev
