#pragma once

#include <cstdint>
#include <string>

namespace gleanwork {

// The run an alert is about, as its history entry tells it.
struct AlertRun {
    std::string agent;
    std::string outcome;            // "ok", "changed", "unchanged", "empty", "failed", "stopped"
    std::string firstError;         // the run's first error line; empty when none
    std::int64_t linesAdded = 0;    // against the previous successful run
    std::int64_t linesRemoved = 0;  // likewise
    std::string diff;               // unified diff against the previous successful run
};

// What delivering an alert one way came to.
struct AlertDelivery {
    bool delivered = false;
    std::string reason;  // why not, as the text of an error line
};

}  // namespace gleanwork
