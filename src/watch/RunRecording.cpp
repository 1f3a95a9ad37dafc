#include "watch/RunRecording.h"

#include <limits.h>
#include <unistd.h>

#include "watch/ContentDigest.h"
#include "watch/HistoryReport.h"
#include "watch/OutputComparison.h"
#include "watch/UnifiedDiff.h"
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
// when the history keeps one, and sets the entry's outcome and changes, and
// `diff` when it changed.
HistoryResult CompareWithBaseline(HistoryStore& store, const WatchSettings& settings,
                                  std::string_view output, RunEntry& entry, std::string& diff) {
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
        diff = UnifiedDiff(comparison, entry.agent + '\t' + LocalIsoTime(baseline->run.started),
                           entry.agent + '\t' + LocalIsoTime(entry.started));
    }
    entry.changes = changes;
    entry.outcome =
        changes == LineChanges{} ? HistoryOutcome::kUnchanged : HistoryOutcome::kChanged;
    return result;
}

// The output that the history keeps and compares: none when it is larger.
std::optional<std::string_view> ComparedOutput(const FinishedRun& run) {
    if (!run.output || run.output->size() > kMostKeptOutputBytes) {
        return std::nullopt;
    }
    return *run.output;
}

// The run as the history records it, before its output is compared.
RecordedRun EntryFor(const WatchSettings& settings, const AgentDefinition& agent,
                     const FinishedRun& run) {
    using std::chrono::floor;
    using std::chrono::microseconds;
    RecordedRun recorded;
    recorded.notes = settings.problems;
    recorded.keepRuns = settings.keepRuns;
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
    const std::optional<std::string_view> output = ComparedOutput(run);
    if (run.output) {
        entry.outputBytes = run.output->size();
        if (output) {
            entry.outputDigest = Sha256Hex(*output);
        } else {
            recorded.notes.push_back(OutputTooLargeNote(run.output->size()));
        }
    }
    return recorded;
}

}  // namespace

std::string KeptLogText(const FinishedRun& run) {
    std::string text;
    AppendLines(text, run.log.head);
    if (run.log.leftOut > 0) {
        text += "[... " + std::to_string(run.log.leftOut) + " lines left out here ...]\n";
    }
    AppendLines(text, run.log.tail);
    return text;
}

RecordedRun RecordRun(HistoryStore& store, const AgentDefinition& agent, const FinishedRun& run) {
    RecordedRun recorded = JudgeRun(store, agent, run);
    if (recorded.stored) {
        StoreRun(store, run, recorded);
    }
    return recorded;
}

void StoreRun(HistoryStore& store, const FinishedRun& run, RecordedRun& recorded) {
    recorded.stored =
        store.Record(recorded.entry, ComparedOutput(run), KeptLogText(run), recorded.keepRuns);
}

RecordedRun UnjudgedRun(const AgentDefinition& agent, const FinishedRun& run) {
    return EntryFor(ReadWatchSettings(agent), agent, run);
}

RecordedRun JudgeRun(HistoryStore& store, const AgentDefinition& agent, const FinishedRun& run) {
    const WatchSettings settings = ReadWatchSettings(agent);
    RecordedRun recorded = EntryFor(settings, agent, run);
    RunEntry& entry = recorded.entry;
    const std::optional<std::string_view> output = ComparedOutput(run);
    if (entry.outcome == HistoryOutcome::kOk && output) {
        recorded.stored = CompareWithBaseline(store, settings, *output, entry, recorded.diff);
    }
    return recorded;
}

std::string OutputTooLargeNote(std::uint64_t bytes) {
    return "The output (" + std::to_string(bytes) +
           " bytes) is larger than the history keeps and compares (" +
           std::to_string(kMostKeptOutputBytes >> 20) + " MiB)";
}

}  // namespace gleanwork
