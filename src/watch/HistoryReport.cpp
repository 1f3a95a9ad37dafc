#include "watch/HistoryReport.h"

#include <array>
#include <charconv>
#include <ctime>

#include "watch/OutputComparison.h"
#include "watch/UnifiedDiff.h"
#include "watch/WatchSettings.h"

namespace gleanwork {

namespace {

std::string Seconds(HistoryTime started, HistoryTime ended) {
    std::array<char, 32> text{};
    const double seconds = std::chrono::duration<double>(ended - started).count();
    const auto end =
        std::to_chars(text.data(), text.data() + text.size(), seconds, std::chars_format::fixed, 3);
    return std::string(text.data(), end.ptr);
}

std::string HistoryLine(const RunEntry& run) {
    const auto count = [](std::uint64_t number) { return std::to_string(number); };
    return LocalIsoTime(run.started) + '\t' + std::string(OutcomeWord(run.outcome)) + '\t' +
           count(run.errors) + '\t' + count(run.linesPrinted) + '\t' +
           (run.changes ? count(run.changes->added) : "-") + '\t' +
           (run.changes ? count(run.changes->removed) : "-") + '\t' +
           Seconds(run.started, run.ended) + '\n';
}

ReportStatus Refuse(std::vector<std::string>& messages, std::string message) {
    messages.push_back(std::move(message));
    return ReportStatus::kRefused;
}

std::string Unknown(const std::string& name) {
    return "no agent named '" + name + "' in the catalogue or the history";
}

// The kept output `before` places back, or why there is none.
ReportStatus ReadKept(HistoryStore& store, const AgentDefinition& agent, bool known,
                      std::size_t before, std::optional<KeptOutput>& kept,
                      std::vector<std::string>& messages) {
    HistoryResult result = store.KeptOutputOf(agent.name, before, kept);
    if (!result) {
        return Refuse(messages, result.reason);
    }
    if (kept) {
        return ReportStatus::kDone;
    }
    std::vector<RunEntry> runs;
    result = store.Runs(agent.name, runs);
    if (!result || (runs.empty() && !known)) {
        return Refuse(messages, result ? Unknown(agent.name) : result.reason);
    }
    return Refuse(messages, before == 0
                                ? "the history keeps no output of '" + agent.name + "'"
                                : "the history keeps no output of '" + agent.name + "' " +
                                      std::to_string(before) + " before its latest kept output");
}

}  // namespace

std::string LocalIsoTime(HistoryTime time) {
    const std::time_t seconds =
        std::chrono::floor<std::chrono::seconds>(time).time_since_epoch().count();
    std::tm local{};
    ::localtime_r(&seconds, &local);
    std::array<char, 64> text{};
    std::string iso(text.data(),
                    std::strftime(text.data(), text.size(), "%Y-%m-%dT%H:%M:%S%z", &local));
    if (iso.size() >= 2) {
        iso.insert(iso.size() - 2, ":");  // +0100 becomes +01:00
    }
    return iso;
}

ReportStatus ReportRunHistory(HistoryStore& store, const AgentDefinition& agent, bool known,
                              std::FILE* out, std::vector<std::string>& messages) {
    std::vector<RunEntry> runs;
    const HistoryResult result = store.Runs(agent.name, runs);
    if (!result) {
        return Refuse(messages, result.reason);
    }
    if (runs.empty() && !known) {
        return Refuse(messages, Unknown(agent.name));
    }
    for (const RunEntry& run : runs) {
        const std::string line = HistoryLine(run);
        std::fwrite(line.data(), 1, line.size(), out);
    }
    return ReportStatus::kDone;
}

ReportStatus ReportOutputDiff(HistoryStore& store, const AgentDefinition& agent, bool known,
                              std::size_t before, std::FILE* out,
                              std::vector<std::string>& messages) {
    std::optional<KeptOutput> latest;
    std::optional<KeptOutput> earlier;
    if (ReadKept(store, agent, known, 0, latest, messages) != ReportStatus::kDone ||
        ReadKept(store, agent, known, before, earlier, messages) != ReportStatus::kDone) {
        return ReportStatus::kRefused;
    }
    const WatchSettings settings = ReadWatchSettings(agent);
    messages.insert(messages.end(), settings.problems.begin(), settings.problems.end());
    const OutputComparison comparison =
        CompareOutputs(earlier->content, latest->content, settings.Rules());
    const std::string diff =
        UnifiedDiff(comparison, agent.name + '\t' + LocalIsoTime(earlier->run.started),
                    agent.name + '\t' + LocalIsoTime(latest->run.started));
    std::fwrite(diff.data(), 1, diff.size(), out);
    return comparison.Equal() ? ReportStatus::kDone : ReportStatus::kDifferent;
}

}  // namespace gleanwork
