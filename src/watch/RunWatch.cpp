#include "watch/RunWatch.h"

#include <filesystem>
#include <fstream>

#include "run/RunLogWriter.h"
#include "watch/HistoryOpen.h"
#include "watch/RunRecording.h"

namespace gleanwork {

namespace {

// What the run wrote to its output file: the whole file when it replaced
// it, what it added when it appended. None when it wrote no file, or when
// the file is no regular file or too large to keep (`notes` says why).
std::optional<std::string> ReadRunOutput(const RunOutcome& outcome,
                                         std::vector<std::string>& notes) {
    if (outcome.output != OutputFate::kReplaced && outcome.output != OutputFate::kAppended) {
        return std::nullopt;
    }
    std::error_code error;
    if (!std::filesystem::is_regular_file(outcome.outputPath, error)) {
        return std::nullopt;
    }
    std::ifstream file(outcome.outputPath, std::ios::binary | std::ios::ate);
    const std::streamoff size = file.tellg();
    if (!file || size < static_cast<std::streamoff>(outcome.outputStart)) {
        notes.push_back("The history keeps no output: " + outcome.outputPath +
                        " could not be read");
        return std::nullopt;
    }
    const auto bytes = static_cast<std::uint64_t>(size) - outcome.outputStart;
    if (bytes > kMostKeptOutputBytes) {
        notes.push_back(OutputTooLargeNote(bytes));
        return std::nullopt;
    }
    std::string content(bytes, '\0');
    file.seekg(static_cast<std::streamoff>(outcome.outputStart));
    file.read(content.data(), static_cast<std::streamsize>(bytes));
    content.resize(static_cast<std::size_t>(file.gcount()));
    return content;
}

// The outcome words of the runs of `agent` that the history holds, newest
// first, back to its latest successful run.
std::vector<std::string> PreviousOutcomes(HistoryStore& store, const std::string& agent,
                                          std::vector<std::string>& notes) {
    std::vector<RunEntry> runs;
    if (const HistoryResult read = store.Runs(agent, runs); !read) {
        notes.push_back("The run history could not tell the runs before this one: " + read.reason);
    }
    std::vector<std::string> words;
    for (const RunEntry& run : runs) {
        words.emplace_back(OutcomeWord(run.outcome));
        if (IsSuccessful(run.outcome)) {
            break;
        }
    }
    return words;
}

// Sends the alert of the run that `entry` tells, logging its notes as plain
// lines and its failures as error lines, which the entry counts too.
void Alert(const AgentDefinition& agent, RunEntry& entry, const std::string& diff,
           const std::vector<std::string>& previous, const AlertChannels& channels,
           RunLogWriter& writer) {
    const LineChanges changes = entry.changes.value_or(LineChanges{});
    const AlertRun run{agent.name,
                       std::string(OutcomeWord(entry.outcome)),
                       entry.firstError,
                       static_cast<std::int64_t>(changes.added),
                       static_cast<std::int64_t>(changes.removed),
                       diff};
    const AlertReport report = SendRunAlerts(agent, run, previous, channels);
    for (const std::string& note : report.notes) {
        writer.LogLine(note);
    }
    for (const std::string& error : report.errors) {
        writer.LogError(error);
    }
    entry.errors += writer.ErrorCount();
    if (entry.firstError.empty()) {
        entry.firstError = writer.FirstError();
    }
}

}  // namespace

WatchedRun WatchRun(const AgentDefinition& agent, const RunOutcome& outcome, RunLog& log,
                    const std::function<LogParts()>& logParts, const AlertChannels& channels) {
    RunLogWriter writer(&log);
    std::vector<std::string> notes;
    FinishedRun run{outcome, ReadRunOutput(outcome, notes), {}};
    HistoryResult opened;
    const std::unique_ptr<HistoryStore> store = OpenHistory(opened);
    RecordedRun recorded = store ? JudgeRun(*store, agent, run) : UnjudgedRun(agent, run);
    if (!store) {
        recorded.stored = opened;
    }
    notes.insert(notes.end(), recorded.notes.begin(), recorded.notes.end());
    const std::vector<std::string> previous =
        recorded.stored ? PreviousOutcomes(*store, agent.name, notes) : std::vector<std::string>{};
    for (const std::string& note : notes) {
        writer.LogLine(note);
    }
    Alert(agent, recorded.entry, recorded.diff, previous, channels, writer);
    if (recorded.stored) {
        run.log = logParts();
        StoreRun(*store, run, recorded);
    }
    if (!recorded.stored) {
        writer.LogLine("The run history did not record this run: " + recorded.stored.reason);
    }
    return {writer.ErrorCount()};
}

}  // namespace gleanwork
