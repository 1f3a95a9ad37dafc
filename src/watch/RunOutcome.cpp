#include "watch/RunOutcome.h"

#include <array>
#include <utility>

namespace gleanwork {

namespace {

constexpr std::array<std::pair<RunOutcome, std::string_view>, 6> kWords = {{
    {RunOutcome::kOk, "ok"},
    {RunOutcome::kChanged, "changed"},
    {RunOutcome::kUnchanged, "unchanged"},
    {RunOutcome::kEmpty, "empty"},
    {RunOutcome::kFailed, "failed"},
    {RunOutcome::kStopped, "stopped"},
}};

}  // namespace

std::string_view OutcomeWord(RunOutcome outcome) {
    for (const auto& [value, word] : kWords) {
        if (value == outcome) {
            return word;
        }
    }
    return {};
}

std::optional<RunOutcome> OutcomeOfWord(std::string_view word) {
    for (const auto& [value, known] : kWords) {
        if (known == word) {
            return value;
        }
    }
    return std::nullopt;
}

bool IsSuccessful(RunOutcome outcome) {
    return outcome == RunOutcome::kOk || outcome == RunOutcome::kChanged ||
           outcome == RunOutcome::kUnchanged;
}

RunOutcome OutcomeBeforeComparison(const FinishedRun& run) {
    if (run.end == RunEnd::kStopped) {
        return RunOutcome::kStopped;
    }
    if (run.end != RunEnd::kCompleted || run.errors > 0) {
        return RunOutcome::kFailed;
    }
    const bool printed = run.linesPrinted > 0 || (run.output && !run.output->empty());
    return printed || run.rowsWritten > 0 ? RunOutcome::kOk : RunOutcome::kEmpty;
}

}  // namespace gleanwork
