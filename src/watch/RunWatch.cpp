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

}  // namespace

WatchedRun WatchRun(const AgentDefinition& agent, const RunOutcome& outcome, RunLog& log,
                    const std::function<LogParts()>& logParts) {
    RunLogWriter writer(&log);
    std::vector<std::string> notes;
    FinishedRun run{outcome, ReadRunOutput(outcome, notes), {}};
    HistoryResult opened;
    const std::unique_ptr<HistoryStore> store = OpenHistory(opened);
    RecordedRun recorded;
    if (store) {
        recorded = JudgeRun(*store, agent, run);
    } else {
        recorded.stored = opened;
    }
    notes.insert(notes.end(), recorded.notes.begin(), recorded.notes.end());
    for (const std::string& note : notes) {
        writer.LogLine(note);
    }
    WatchedRun watched;
    if (recorded.stored) {
        run.log = logParts();
        StoreRun(*store, run, recorded);
    }
    if (recorded.stored) {
        watched.outcome = recorded.entry.outcome;
    } else {
        writer.LogLine("The run history did not record this run: " + recorded.stored.reason);
    }
    watched.errors = writer.ErrorCount();
    return watched;
}

}  // namespace gleanwork
