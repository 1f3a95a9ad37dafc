#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace gleanwork {

// A first-in, first-out queue kept in one vector: once it has grown, items
// passing through it allocate no room of their own for the queue, as
// std::deque does for each large item. Taken items stay in the vector
// until half of it is taken, or all.
template <typename T>
class ReusingQueue {
public:
    bool empty() const { return first_ == items_.size(); }
    std::size_t size() const { return items_.size() - first_; }
    T& front() { return items_[first_]; }

    void push_back(T item) { items_.push_back(std::move(item)); }

    void pop_front() {
        ++first_;
        if (first_ == items_.size()) {
            clear();
        } else if (first_ >= kTakenBeforeClearing && first_ * 2 >= items_.size()) {
            items_.erase(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(first_));
            first_ = 0;
        }
    }

    void clear() {
        items_.clear();
        first_ = 0;
    }

private:
    static constexpr std::size_t kTakenBeforeClearing = 1024;

    std::vector<T> items_;
    std::size_t first_ = 0;
};

}  // namespace gleanwork
