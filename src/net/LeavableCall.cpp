#include "net/LeavableCall.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "base/FileDescriptor.h"

namespace gleanwork {

namespace {

// What the caller and the worker share; the last of them to go frees it.
struct CallState {
    std::mutex mutex;
    bool done = false;
    FileDescriptor finished{::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)};
};

}  // namespace

WaitResult RunLeavable(std::function<void()> work, std::chrono::steady_clock::time_point deadline,
                       const StopSignal* stop) {
    auto state = std::make_shared<CallState>();
    if (!state->finished.IsOpen()) {
        work();
        return WaitResult::Ready;
    }
    // The worker takes no signal: signals are for the threads that wait.
    sigset_t all{};
    sigset_t previous{};
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    try {
        std::thread([state, work = std::move(work)] {
            work();
            const std::lock_guard lock(state->mutex);
            state->done = true;
            const std::uint64_t one = 1;
            [[maybe_unused]] const ssize_t written =
                ::write(state->finished.Get(), &one, sizeof one);
        }).detach();
    } catch (const std::system_error&) {
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        return WaitResult::Failed;
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    const WaitResult waited = WaitReady(state->finished.Get(), POLLIN, deadline, stop);
    const std::lock_guard lock(state->mutex);
    return state->done ? WaitResult::Ready : waited;
}

}  // namespace gleanwork
