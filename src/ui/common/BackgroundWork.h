#pragma once

#include <QObject>
#include <QTimer>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "ui/common/ThreadHandover.h"

namespace gleanwork {

// Work that may take long (a server that does not answer, a slow command)
// done on a thread of its own, so that it never holds the window. The
// thread shares nothing with the window but its result, which the window
// collects on a short timer and hands to `done` on its own thread. A window
// that goes first leaves the thread to finish alone; `done` is then never
// called.
template <typename Result>
class BackgroundWork {
public:
    // `owner` is the window whose lifetime bounds the collection.
    explicit BackgroundWork(QObject* owner) : poll_(new QTimer(owner)) {
        poll_->setInterval(kPollMilliseconds);
        QObject::connect(poll_, &QTimer::timeout, poll_, [this] { Collect(); });
    }
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    // Starts `work` unless some is under way; false when it did not start.
    // `failed` turns the text of an exception, or of a thread that could not
    // start, into a result.
    bool Start(std::function<Result()> work, std::function<void(Result)> done,
               std::function<Result(const std::string&)> failed) {
        if (IsRunning()) {
            return false;
        }
        auto result = std::make_shared<ThreadHandover<Result>>();
        try {
            std::thread([result, work = std::move(work), failed] {
                try {
                    result->Put(work());
                } catch (const std::exception& error) {
                    result->Put(failed(std::string("an unexpected failure: ") + error.what()));
                }
            }).detach();
        } catch (const std::system_error& error) {
            done(failed(std::string("a thread that could not start: ") + error.what()));
            return false;
        }
        result_ = std::move(result);
        done_ = std::move(done);
        poll_->start();
        return true;
    }

    bool IsRunning() const { return result_ != nullptr; }

private:
    static constexpr int kPollMilliseconds = 30;

    void Collect() {
        std::optional<Result> result = result_->Take();
        if (!result) {
            return;
        }
        poll_->stop();
        result_.reset();
        std::exchange(done_, {})(std::move(*result));
    }

    QTimer* poll_;  // owned by the owner
    // The result; the last of the thread and the window to go frees it.
    std::shared_ptr<ThreadHandover<Result>> result_;
    std::function<void(Result)> done_;
};

}  // namespace gleanwork
