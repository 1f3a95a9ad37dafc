#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "watch/FinishedRun.h"

namespace gleanwork {

// What a recorded run came to, in one word:
//   stopped    Close, Stop or a signal ended it;
//   failed     it logged an error line, or a limit ended it;
//   empty      it completed without printing anything or writing a row;
//   ok         it completed, printed, and there was nothing to compare with
//              (no earlier successful run whose output is kept);
//   changed    as ok, and its output differs from that of the previous
//              successful run in at least one line that takes part;
//   unchanged  as ok, and it does not.
// Only ok, changed and unchanged runs are successful: later runs compare
// with them. An empty run is never changed, however much the run before it
// printed.
enum class HistoryOutcome { kOk, kChanged, kUnchanged, kEmpty, kFailed, kStopped };

std::string_view OutcomeWord(HistoryOutcome outcome);
std::optional<HistoryOutcome> OutcomeOfWord(std::string_view word);

bool IsSuccessful(HistoryOutcome outcome);

// The outcome of `run` before its output is compared: stopped, failed,
// empty, or ok for a run whose output is to be compared.
HistoryOutcome OutcomeBeforeComparison(const FinishedRun& run);

// The rows that the run's database kept.
std::uint64_t RowsWritten(const RunOutcome& outcome);

}  // namespace gleanwork
