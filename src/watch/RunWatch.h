#pragma once

#include <cstdint>
#include <functional>

#include "run/RunOutcome.h"
#include "script/RunLog.h"
#include "storage/AgentDefinition.h"
#include "watch/AlertDispatch.h"
#include "watch/LogKeeper.h"

namespace gleanwork {

// What recording a finished run and sending its alert came to.
struct WatchedRun {
    std::uint64_t errors = 0;  // the error lines logged: alerts that failed
};

// After a run of `agent` that was no Test run, on the run's thread: judges
// the run against the agent's previous successful output, sends the alert
// that it calls for (SendRunAlerts, through `channels`, given the outcomes
// of the runs before it), then records it in the run history (see
// OpenHistory) with the output file's content and the parts of its log that
// `logParts` gives once every line is in. What goes wrong is logged to
// `log`, after the run's own lines. An alert that fails is an error line,
// and counts among the errors of the run's history entry. A history that
// cannot be opened, read or written, an output that cannot be kept, and
// agent keys that cannot be used are plain lines, since the run itself did
// its work: a history problem never fails a run, and the alert goes out
// all the same (with no runs before it to go by).
WatchedRun WatchRun(const AgentDefinition& agent, const RunOutcome& outcome, RunLog& log,
                    const std::function<LogParts()>& logParts, const AlertChannels& channels);

}  // namespace gleanwork
