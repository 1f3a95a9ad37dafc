#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "script/RunLog.h"

namespace gleanwork::test {

// Keeps every run-log line, so that tests can compare whole logs. `onLine`,
// when set, is called after each line on the run's thread; a test on another
// thread waits with WaitForLines and reads with Lines.
class RecordingRunLog : public RunLog {
public:
    void LogLine(std::string_view line) override { Take(line); }
    void LogCommand(std::string_view line) override { Take(line); }

    bool WaitForLines(std::size_t count, std::chrono::seconds limit = std::chrono::seconds(20)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return lines.size() >= count; });
    }
    std::vector<std::string> Lines() {
        const std::lock_guard lock(mutex_);
        return lines;
    }

    std::vector<std::string> lines;
    std::function<void(std::string_view)> onLine;

private:
    void Take(std::string_view line) {
        {
            const std::lock_guard lock(mutex_);
            lines.emplace_back(line);
        }
        changed_.notify_all();
        if (onLine) {
            onLine(line);
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
};

}  // namespace gleanwork::test
