#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "watch/HistoryConnection.h"
#include "watch/RunEntry.h"

namespace gleanwork {

// A kept output and the run that printed it.
struct KeptOutput {
    RunEntry run;
    std::string content;
};

// The run history: every recorded run of every agent, and the outputs and
// logs of the last runs of each, an output stored once however many kept
// runs printed it. Runs are ordered newest first by their start, then by
// the order they were recorded in. Every call says whether it did its work
// and why not; none throws.
class HistoryStore {
public:
    explicit HistoryStore(std::unique_ptr<HistoryConnection> connection)
        : connection_(std::move(connection)) {}

    // Adds `entry` (its id and kept flag set when done), with `output` (its
    // digest is entry.outputDigest; nothing when unknown) and `log`. Then
    // only the newest `keepRuns` runs of the agent and its latest successful
    // run with an output keep their output and log. All of it or nothing.
    HistoryResult Record(RunEntry& entry, std::optional<std::string_view> output,
                         std::string_view log, std::size_t keepRuns);

    // The kept output of the latest successful run of `agent`, read at one
    // moment; nothing when there is none. Its content is left empty when its
    // digest is `sameDigest`: the caller has that output already.
    HistoryResult LatestSuccessfulOutput(const std::string& agent, const std::string& sameDigest,
                                         std::optional<KeptOutput>& output);

    // Every run of `agent`, newest first; none for an agent never recorded.
    HistoryResult Runs(const std::string& agent, std::vector<RunEntry>& runs);
    // The last run of every agent, by agent name.
    HistoryResult LastRuns(std::vector<RunEntry>& runs);
    // The kept output `before` places before the newest kept output of
    // `agent` (0: the newest); nothing when there are not that many.
    HistoryResult KeptOutputOf(const std::string& agent, std::size_t before,
                               std::optional<KeptOutput>& kept);
    // The kept output of `agent` whose digest is `digest`; nothing when no
    // kept run printed it.
    HistoryResult KeptContent(const std::string& agent, const std::string& digest,
                              std::optional<std::string>& content);
    // The kept log of run `run`; nothing when it is not kept.
    HistoryResult KeptLog(std::int64_t run, std::optional<std::string>& log);

private:
    HistoryResult Insert(RunEntry& entry, std::optional<std::string_view> output,
                         std::string_view log);
    HistoryResult Prune(const std::string& agent, std::size_t keepRuns);
    HistoryResult Drop(const std::string& agent, const SqlRow& run);
    HistoryResult ReadKeptOutput(std::string_view content, std::string_view rest,
                                 std::initializer_list<SqlValue> values,
                                 std::optional<KeptOutput>& kept);
    HistoryResult FirstText(std::string_view sql, std::initializer_list<SqlValue> values,
                            std::optional<std::string>& text);
    HistoryResult Entries(std::string_view sql, std::initializer_list<SqlValue> values,
                          std::vector<RunEntry>& runs, std::vector<SqlRow>* rows = nullptr);

    std::unique_ptr<HistoryConnection> connection_;
};

}  // namespace gleanwork
