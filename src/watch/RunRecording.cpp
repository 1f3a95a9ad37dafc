#include "watch/RunRecording.h"

#include <limits.h>
#include <unistd.h>

#include "watch/ContentDigest.h"
#include "watch/OutputComparison.h"
#include "watch/WatchSettings.h"

namespace gleanwork {

namespace {

std::string HostName() {
    std::string name(HOST_NAME_MAX + 1, '\0');
    if (::gethostname(name.data(), name.size()) != 0) {
        return {};
    }
    name.resize(name.find('\0'));
    return name;
}

void AppendLines(std::string& text, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        text += line;
        text += '\n';
    }
}

// Compares `output` with the output of the agent's latest successful run,
// when the history keeps one, and sets the entry's outcome and changes.
HistoryResult CompareWithBaseline(HistoryStore& store, const WatchSettings& settings,
                                  std::string_view output, RunEntry& entry) {
    std::optional<KeptOutput> baseline;
    const HistoryResult result =
        store.LatestSuccessfulOutput(entry.agent, entry.outputDigest, baseline);
    if (!result || !baseline) {
        return result;
    }
    LineChanges changes;
    if (baseline->run.outputDigest != entry.outputDigest) {
        const OutputComparison comparison =
            CompareOutputs(baseline->content, output, settings.Rules());
        changes = {comparison.added, comparison.removed};
    }
    entry.changes = changes;
    entry.outcome =
        changes == LineChanges{} ? HistoryOutcome::kUnchanged : HistoryOutcome::kChanged;
    return result;
}

}  // namespace

std::string KeptLogText(const FinishedRun& run) {
    std::string text;
    AppendLines(text, run.logHead);
    if (run.logLinesLeftOut > 0) {
        text += "[... " + std::to_string(run.logLinesLeftOut) + " lines left out here ...]\n";
    }
    AppendLines(text, run.logTail);
    return text;
}

RecordedRun RecordRun(HistoryStore& store, const AgentDefinition& agent, const FinishedRun& run) {
    using std::chrono::floor;
    using std::chrono::microseconds;
    const WatchSettings settings = ReadWatchSettings(agent);
    RecordedRun recorded;
    recorded.notes = settings.problems;
    RunEntry& entry = recorded.entry;
    entry.agent = agent.name;
    entry.host = HostName();
    entry.started = floor<microseconds>(run.outcome.started);
    entry.ended = floor<microseconds>(run.outcome.Ended());
    entry.errors = run.outcome.errors;
    entry.firstError = run.outcome.firstError;
    entry.linesPrinted = run.outcome.linesPrinted;
    entry.rowsWritten = RowsWritten(run.outcome);
    entry.outcome = OutcomeBeforeComparison(run);
    std::optional<std::string_view> output;
    if (run.output) {
        entry.outputBytes = run.output->size();
        if (run.output->size() <= kMostKeptOutputBytes) {
            output = *run.output;
            entry.outputDigest = Sha256Hex(*output);
        } else {
            recorded.notes.push_back("The output (" + std::to_string(run.output->size()) +
                                     " bytes) is larger than the history keeps and compares (" +
                                     std::to_string(kMostKeptOutputBytes >> 20) + " MiB)");
        }
    }
    if (entry.outcome == HistoryOutcome::kOk && output) {
        recorded.stored = CompareWithBaseline(store, settings, *output, entry);
        if (!recorded.stored) {
            return recorded;
        }
    }
    recorded.stored = store.Record(entry, output, KeptLogText(run), settings.keepRuns);
    return recorded;
}

}  // namespace gleanwork
