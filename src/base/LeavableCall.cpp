#include "base/LeavableCall.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>

#include <memory>
#include <system_error>
#include <thread>

#include "base/StopSignal.h"

namespace gleanwork {

WaitResult RunLeavable(std::function<void()> work, std::chrono::steady_clock::time_point deadline,
                       const StopSignal* stop) {
    // Raised once `work` has finished; the last of the caller and the worker
    // to go frees it.
    auto finished = std::make_shared<StopSignal>();
    if (finished->Descriptor() < 0) {
        work();
        return WaitResult::Ready;
    }
    // The worker takes no signal: signals are for the threads that wait.
    sigset_t all{};
    sigset_t previous{};
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    try {
        std::thread([finished, work = std::move(work)] {
            work();
            finished->Raise();
        }).detach();
    } catch (const std::system_error&) {
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        return WaitResult::Failed;
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    const WaitResult waited = WaitReady(finished->Descriptor(), POLLIN, deadline, stop);
    return finished->Raised() ? WaitResult::Ready : waited;
}

}  // namespace gleanwork
