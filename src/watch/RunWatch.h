#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "run/RunOutcome.h"
#include "script/RunLog.h"
#include "storage/AgentDefinition.h"
#include "watch/HistoryOutcome.h"
#include "watch/LogKeeper.h"

namespace gleanwork {

// What the history made of a finished run.
struct WatchedRun {
    std::optional<HistoryOutcome> outcome;  // as recorded; none when not recorded
    std::uint64_t errors = 0;               // the error lines that this step logged
};

// After a run of `agent` that was no Test run, on the run's thread: records
// it in the run history (see OpenHistory) with the output file's content
// and the parts of its log that `logParts` gives once every line is in. What
// goes wrong is logged to `log`, after the run's own lines: a history that
// cannot be opened, read or written, an output that cannot be kept, and
// agent keys that cannot be used are plain lines, since the run itself did
// its work; a history problem never fails a run.
WatchedRun WatchRun(const AgentDefinition& agent, const RunOutcome& outcome, RunLog& log,
                    const std::function<LogParts()>& logParts);

}  // namespace gleanwork
