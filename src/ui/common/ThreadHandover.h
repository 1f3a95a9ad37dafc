#pragma once

#include <mutex>
#include <optional>
#include <utility>

namespace gleanwork {

// A value that a worker thread leaves for a window, which takes it when its
// timer next looks. The two threads share nothing else, so no queued call
// crosses between them.
template <typename T>
class ThreadHandover {
public:
    // On the worker thread.
    void Put(T value) {
        const std::lock_guard lock(mutex_);
        value_ = std::move(value);
    }

    // On the window's thread: the value left, if any, which is then gone.
    std::optional<T> Take() {
        const std::lock_guard lock(mutex_);
        return std::exchange(value_, std::nullopt);
    }

private:
    std::mutex mutex_;
    std::optional<T> value_;
};

}  // namespace gleanwork
