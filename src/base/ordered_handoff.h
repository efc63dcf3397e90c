// Items made by worker threads in any order and taken by one thread in index order, with at most
// a window of them made ahead, so that memory stays bounded however many items there are.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace veltrano {

template <typename Item>
class OrderedHandoff {
  public:
    // count: the items there are; window: how many may be made ahead of the one taken next.
    OrderedHandoff(size_t count, size_t window)
        : count_(count), slots_(std::max<size_t>(window, 1)) {}

    // The next item a worker makes; false when none is left.
    bool Claim(size_t& index) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return next_ >= count_ || next_ < taken_ + slots_.size(); });
        if (next_ >= count_)
            return false;
        index = next_++;
        return true;
    }
    void Deliver(size_t index, Item item) {
        std::lock_guard lock(mutex_);
        Slot& slot = slots_[index % slots_.size()];
        slot.item = std::move(item);
        slot.ready = true;
        changed_.notify_all();
    }
    // No more items are claimed: the taking thread has stopped.
    void Close() {
        std::lock_guard lock(mutex_);
        next_ = count_;
        changed_.notify_all();
    }
    // The item at index (taken in order), waiting for its worker.
    Item Take(size_t index) {
        std::unique_lock lock(mutex_);
        Slot& slot = slots_[index % slots_.size()];
        changed_.wait(lock, [&] { return slot.ready; });
        slot.ready = false;
        taken_ = index + 1;
        changed_.notify_all();
        return std::move(slot.item);
    }

  private:
    struct Slot {
        bool ready = false;
        Item item;
    };
    const size_t count_;
    std::vector<Slot> slots_;
    size_t next_ = 0;
    size_t taken_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
};

}  // namespace veltrano
