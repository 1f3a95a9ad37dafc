#pragma once

#include <string>
#include <utility>

namespace gleanwork {

// Whether a call on the run history did what it was asked, and why not. A
// history that fails never fails a run: the run logs the reason and goes on.
struct HistoryResult {
    bool done = true;
    std::string reason;  // one line, when not done

    static HistoryResult Failed(std::string reason) { return {false, std::move(reason)}; }
    explicit operator bool() const { return done; }
};

}  // namespace gleanwork
