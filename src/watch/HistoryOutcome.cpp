#include "watch/HistoryOutcome.h"

#include <array>
#include <utility>

namespace gleanwork {

namespace {

constexpr std::array<std::pair<HistoryOutcome, std::string_view>, 6> kWords = {{
    {HistoryOutcome::kOk, "ok"},
    {HistoryOutcome::kChanged, "changed"},
    {HistoryOutcome::kUnchanged, "unchanged"},
    {HistoryOutcome::kEmpty, "empty"},
    {HistoryOutcome::kFailed, "failed"},
    {HistoryOutcome::kStopped, "stopped"},
}};

}  // namespace

std::string_view OutcomeWord(HistoryOutcome outcome) {
    for (const auto& [value, word] : kWords) {
        if (value == outcome) {
            return word;
        }
    }
    return {};
}

std::optional<HistoryOutcome> OutcomeOfWord(std::string_view word) {
    for (const auto& [value, known] : kWords) {
        if (known == word) {
            return value;
        }
    }
    return std::nullopt;
}

bool IsSuccessful(HistoryOutcome outcome) {
    return outcome == HistoryOutcome::kOk || outcome == HistoryOutcome::kChanged ||
           outcome == HistoryOutcome::kUnchanged;
}

HistoryOutcome OutcomeBeforeComparison(const FinishedRun& run) {
    const RunOutcome& outcome = run.outcome;
    if (outcome.end == RunEnd::kStopped) {
        return HistoryOutcome::kStopped;
    }
    if (outcome.end != RunEnd::kCompleted || outcome.errors > 0) {
        return HistoryOutcome::kFailed;
    }
    const bool printed = outcome.linesPrinted > 0 || (run.output && !run.output->empty());
    return printed || RowsWritten(outcome) > 0 ? HistoryOutcome::kOk : HistoryOutcome::kEmpty;
}

std::uint64_t RowsWritten(const RunOutcome& outcome) {
    return outcome.database == DatabaseFate::kCommitted ? outcome.rows : 0;
}

}  // namespace gleanwork
