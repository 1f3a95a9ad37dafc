#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "watch/HistoryOutcome.h"

namespace gleanwork {

// Times in the history: microseconds since 1970 (UTC).
using HistoryTime = std::chrono::sys_time<std::chrono::microseconds>;

// How an output differs from the one it was compared with.
struct LineChanges {
    std::uint64_t added = 0;
    std::uint64_t removed = 0;

    bool operator==(const LineChanges&) const = default;
};

// One run as the history holds it.
struct RunEntry {
    std::int64_t id = 0;  // given by the history when it records the run
    std::string agent;
    std::string host;  // the machine that ran it
    HistoryTime started;
    HistoryTime ended;
    HistoryOutcome outcome = HistoryOutcome::kOk;
    std::uint64_t errors = 0;
    std::string firstError;
    std::uint64_t linesPrinted = 0;
    std::uint64_t rowsWritten = 0;
    std::uint64_t outputBytes = 0;
    std::string outputDigest;  // SHA-256 of the output in hex; empty when unknown
    // Against the previous successful run; nothing when not compared.
    std::optional<LineChanges> changes;
    bool kept = false;  // its output and its log are kept

    bool operator==(const RunEntry&) const = default;
};

}  // namespace gleanwork
