#include "watch/RunDiff.h"

#include <optional>

#include "watch/HistoryReport.h"
#include "watch/OutputComparison.h"
#include "watch/UnifiedDiff.h"
#include "watch/WatchSettings.h"

namespace gleanwork {

namespace {

bool HasKeptOutput(const RunEntry& run) {
    return run.kept && !run.outputDigest.empty();
}

std::string Label(const RunEntry& run) {
    return run.agent + '\t' + LocalIsoTime(run.started);
}

}  // namespace

RunDiff DiffWithRunBefore(HistoryStore& store, const AgentDefinition& agent,
                          const std::vector<RunEntry>& runs, std::size_t index) {
    RunDiff shown;
    const RunEntry& run = runs.at(index);
    if (!HasKeptOutput(run)) {
        shown.note = run.outputBytes == 0 && run.outputDigest.empty() && run.kept
                         ? "This run left no output to compare."
                         : "The history no longer keeps this run's output.";
        return shown;
    }
    std::size_t before = index + 1;
    while (before < runs.size() &&
           !(HasKeptOutput(runs[before]) && IsSuccessful(runs[before].outcome))) {
        ++before;
    }
    if (before == runs.size()) {
        shown.note =
            "No earlier successful run keeps its output: there is nothing to compare with.";
        return shown;
    }
    std::optional<std::string> after;
    std::optional<std::string> earlier;
    shown.read = store.KeptContent(run.agent, run.outputDigest, after);
    if (shown.read) {
        shown.read = store.KeptContent(run.agent, runs[before].outputDigest, earlier);
    }
    if (!shown.read || !after || !earlier) {
        shown.note = shown.read ? "The history no longer keeps these outputs."
                                : "The history cannot be read: " + shown.read.reason;
        return shown;
    }
    const WatchSettings settings = ReadWatchSettings(agent);
    const OutputComparison comparison = CompareOutputs(*earlier, *after, settings.Rules());
    shown.diff = UnifiedDiff(comparison, Label(runs[before]), Label(run));
    if (shown.diff.empty()) {
        shown.note = "No line changed since the run of " + LocalIsoTime(runs[before].started) + ".";
    }
    return shown;
}

}  // namespace gleanwork
