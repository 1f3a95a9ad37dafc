#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace gleanwork {

// How a run ended.
enum class RunEnd {
    kCompleted,            // it ran to its end without an error line
    kCompletedWithErrors,  // it ran to its end and logged at least one
    kStopped,              // Close, Stop or a signal ended it
    kLimitReached,         // a limit of steps or time ended it
};

// The limit that ended a run.
enum class RunLimit { kNone, kSteps, kTime };

// What became of the run's output.
enum class OutputFate {
    kNone,            // there was no output file, and the output went nowhere
    kStandardOutput,  // it went to standard output
    kReplaced,        // the output file holds what the run printed
    kAppended,        // what the run printed was added to the output file
    kLeftAsItWas,     // the output file is as it was before the run
};

// What became of the run's database statements.
enum class DatabaseFate {
    kNone,        // the agent has no data source, or no statement reached it
    kCommitted,   // they were saved together at the run's end
    kRolledBack,  // they were undone
};

// What one run came to, as the engine returns it when the run has ended.
struct RunOutcome {
    RunEnd end = RunEnd::kCompleted;
    RunLimit limit = RunLimit::kNone;  // for kLimitReached
    std::uint64_t errors = 0;          // the error lines logged
    std::string firstError;            // the first of them as logged; empty when none
    OutputFate output = OutputFate::kNone;
    std::string outputPath;         // the output file's full path; empty when the agent names none
    std::uint64_t outputStart = 0;  // where the run's lines begin in the file it appended to
    DatabaseFate database = DatabaseFate::kNone;
    // The statements that ran, committed or rolled back together; each
    // INSERTDATA or UPDATEDATA that ran counts as one row.
    std::uint64_t rows = 0;
    std::uint64_t linesPrinted = 0;  // lines of PRINT and PRINTLN, a last unended one too
    std::chrono::system_clock::time_point started;
    std::chrono::milliseconds duration{0};
    bool testRun = false;

    bool Failed() const { return errors > 0; }
    std::chrono::system_clock::time_point Ended() const { return started + duration; }
};

}  // namespace gleanwork
