#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gleanwork {

// How a run ended, as the run host saw it.
enum class RunEnd {
    kCompleted,            // it ran to its end without an "ERROR: " line
    kCompletedWithErrors,  // it ran to its end and logged at least one
    kStopped,              // Close, Stop or a signal ended it
    kLimitReached,         // a limit of steps or time ended it
};

// What a finished run came to, as the run host hands it to the history at
// the end of each run (Test runs are not recorded).
struct FinishedRun {
    std::chrono::system_clock::time_point started;
    std::chrono::system_clock::time_point ended;
    RunEnd end = RunEnd::kCompleted;
    std::uint64_t errors = 0;
    std::string firstError;  // the first "ERROR: " line as logged
    std::uint64_t linesPrinted = 0;
    std::uint64_t rowsWritten = 0;  // rows the run's database kept
    // What the run printed: the output file's content when the run replaced
    // it, the part it added when it appended. Nothing when the host has none
    // (the output went to standard output, or the file was left as it was).
    std::optional<std::string> output;
    // The run log: its first lines, how many lines were left out after them
    // and its last lines, as the Agent Output window keeps them.
    std::vector<std::string> logHead;
    std::uint64_t logLinesLeftOut = 0;
    std::vector<std::string> logTail;
};

}  // namespace gleanwork
