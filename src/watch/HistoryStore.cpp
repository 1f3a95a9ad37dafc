#include "watch/HistoryStore.h"

#include <charconv>

#include "watch/ContentDigest.h"

namespace gleanwork {

namespace {

// The columns of a run, in the order EntryOfRow reads them.
constexpr std::string_view kRunColumns =
    "r.id, r.agent, r.host, r.started, r.ended, r.outcome, r.errors, r.first_error, "
    "r.lines_printed, r.rows_written, r.output_bytes, r.output_digest, r.lines_added, "
    "r.lines_removed, r.kept";
constexpr std::size_t kRunColumnCount = 15;

constexpr std::string_view kNewestFirst = " ORDER BY r.started DESC, r.id DESC";

std::string Sql(std::initializer_list<std::string_view> parts) {
    std::string sql;
    for (const std::string_view part : parts) {
        sql += part;
    }
    return sql;
}

std::int64_t IntegerOf(const std::optional<std::string>& text) {
    std::int64_t number = 0;
    if (text) {
        std::from_chars(text->data(), text->data() + text->size(), number);
    }
    return number;
}

std::uint64_t CountOf(const std::optional<std::string>& text) {
    return static_cast<std::uint64_t>(IntegerOf(text));
}

HistoryTime TimeOf(const std::optional<std::string>& text) {
    return HistoryTime(std::chrono::microseconds(IntegerOf(text)));
}

RunEntry EntryOfRow(const SqlRow& row) {
    RunEntry entry;
    entry.id = IntegerOf(row[0]);
    entry.agent = row[1].value_or("");
    entry.host = row[2].value_or("");
    entry.started = TimeOf(row[3]);
    entry.ended = TimeOf(row[4]);
    entry.outcome = OutcomeOfWord(row[5].value_or("")).value_or(HistoryOutcome::kFailed);
    entry.errors = CountOf(row[6]);
    entry.firstError = row[7].value_or("");
    entry.linesPrinted = CountOf(row[8]);
    entry.rowsWritten = CountOf(row[9]);
    entry.outputBytes = CountOf(row[10]);
    entry.outputDigest = row[11].value_or("");
    if (row[12] && row[13]) {
        entry.changes = LineChanges{CountOf(row[12]), CountOf(row[13])};
    }
    entry.kept = IntegerOf(row[14]) != 0;
    return entry;
}

SqlValue Count(std::uint64_t count) {
    return SqlValue::Integer(static_cast<std::int64_t>(count));
}

SqlValue Time(HistoryTime time) {
    return SqlValue::Integer(time.time_since_epoch().count());
}

SqlValue OptionalCount(const std::optional<LineChanges>& changes, std::uint64_t LineChanges::*of) {
    return changes ? Count((*changes).*of) : SqlValue::Null();
}

// The key that keeps two recordings of one agent apart: the first 64 bits
// of the SHA-256 of its name.
std::int64_t AgentKey(const std::string& agent) {
    std::uint64_t key = 0;
    const std::string hex = Sha256Hex(agent);
    std::from_chars(hex.data(), hex.data() + 16, key, 16);
    return static_cast<std::int64_t>(key);
}

}  // namespace

HistoryResult HistoryStore::Record(RunEntry& entry, std::optional<std::string_view> output,
                                   std::string_view log, std::size_t keepRuns) {
    HistoryResult result = connection_->BeginRecording(AgentKey(entry.agent));
    if (result) {
        result = Insert(entry, output, log);
    }
    if (result) {
        result = Prune(entry.agent, keepRuns);
    }
    if (result) {
        result = connection_->Commit();
    }
    if (!result) {
        connection_->Rollback();
    }
    return result;
}

HistoryResult HistoryStore::Insert(RunEntry& entry, std::optional<std::string_view> output,
                                   std::string_view log) {
    if (output) {
        HistoryResult stored = connection_->Run(
            "INSERT INTO gleanwork_outputs (agent, digest, content) VALUES ($1, $2, $3) "
            "ON CONFLICT DO NOTHING",
            {SqlValue::Bytes(entry.agent), SqlValue::Word(entry.outputDigest),
             SqlValue::Bytes(*output)});
        if (!stored) {
            return stored;
        }
    }
    std::vector<SqlRow> rows;
    HistoryResult result = connection_->Run(
        "INSERT INTO gleanwork_runs (agent, host, started, ended, outcome, errors, first_error, "
        "lines_printed, rows_written, output_bytes, output_digest, lines_added, lines_removed, "
        "kept) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, 1) RETURNING id",
        {SqlValue::Bytes(entry.agent), SqlValue::Bytes(entry.host), Time(entry.started),
         Time(entry.ended), SqlValue::Word(OutcomeWord(entry.outcome)), Count(entry.errors),
         SqlValue::Bytes(entry.firstError), Count(entry.linesPrinted), Count(entry.rowsWritten),
         Count(entry.outputBytes), output ? SqlValue::Word(entry.outputDigest) : SqlValue::Null(),
         OptionalCount(entry.changes, &LineChanges::added),
         OptionalCount(entry.changes, &LineChanges::removed)},
        &rows);
    if (!result) {
        return result;
    }
    entry.id = rows.empty() ? 0 : IntegerOf(rows.front().front());
    entry.kept = true;
    return connection_->Run("INSERT INTO gleanwork_logs (run, text) VALUES ($1, $2)",
                            {SqlValue::Integer(entry.id), SqlValue::Bytes(log)});
}

HistoryResult HistoryStore::Prune(const std::string& agent, std::size_t keepRuns) {
    std::vector<SqlRow> kept;
    HistoryResult result =
        connection_->Run(Sql({"SELECT r.id, r.output_digest, r.outcome FROM gleanwork_runs r "
                              "WHERE r.agent = $1 AND r.kept = 1",
                              kNewestFirst}),
                         {SqlValue::Bytes(agent)}, &kept);
    bool baselineSeen = false;
    for (std::size_t at = 0; result && at < kept.size(); ++at) {
        const SqlRow& run = kept[at];
        const auto outcome = OutcomeOfWord(run[2].value_or(""));
        const bool baseline = !baselineSeen && run[1] && outcome && IsSuccessful(*outcome);
        baselineSeen = baselineSeen || baseline;
        if (at >= keepRuns && !baseline) {
            result = Drop(agent, run);
        }
    }
    return result;
}

// Takes the output and log of the run of `run` (its id and digest) out.
HistoryResult HistoryStore::Drop(const std::string& agent, const SqlRow& run) {
    const SqlValue id = SqlValue::Integer(IntegerOf(run[0]));
    HistoryResult result =
        connection_->Run("UPDATE gleanwork_runs SET kept = 0 WHERE id = $1", {id});
    if (result) {
        result = connection_->Run("DELETE FROM gleanwork_logs WHERE run = $1", {id});
    }
    if (result && run[1]) {
        result = connection_->Run(
            "DELETE FROM gleanwork_outputs WHERE agent = $1 AND digest = $2 AND NOT EXISTS "
            "(SELECT 1 FROM gleanwork_runs WHERE agent = $1 AND kept = 1 AND output_digest = $2)",
            {SqlValue::Bytes(agent), SqlValue::Word(*run[1])});
    }
    return result;
}

HistoryResult HistoryStore::LatestSuccessfulOutput(const std::string& agent,
                                                   const std::string& sameDigest,
                                                   std::optional<KeptOutput>& output) {
    return ReadKeptOutput(
        "CASE WHEN r.output_digest = $2 THEN '' ELSE o.content END",
        " AND r.outcome IN ('ok', 'changed', 'unchanged')" + std::string(kNewestFirst) + " LIMIT 1",
        {SqlValue::Bytes(agent), SqlValue::Word(sameDigest)}, output);
}

HistoryResult HistoryStore::Entries(std::string_view sql, std::initializer_list<SqlValue> values,
                                    std::vector<RunEntry>& runs, std::vector<SqlRow>* rows) {
    std::vector<SqlRow> own;
    std::vector<SqlRow>& read = rows != nullptr ? *rows : own;
    HistoryResult result = connection_->Run(sql, values, &read);
    runs.clear();
    for (const SqlRow& row : read) {
        runs.push_back(EntryOfRow(row));
    }
    return result;
}

HistoryResult HistoryStore::Runs(const std::string& agent, std::vector<RunEntry>& runs) {
    return Entries(
        Sql({"SELECT ", kRunColumns, " FROM gleanwork_runs r WHERE r.agent = $1", kNewestFirst}),
        {SqlValue::Bytes(agent)}, runs);
}

HistoryResult HistoryStore::LastRuns(std::vector<RunEntry>& runs) {
    return Entries(Sql({"SELECT ", kRunColumns,
                        " FROM gleanwork_runs r WHERE r.id IN "
                        "(SELECT (SELECT l.id FROM gleanwork_runs l WHERE l.agent = a.agent "
                        "ORDER BY l.started DESC, l.id DESC LIMIT 1) "
                        "FROM (SELECT DISTINCT agent FROM gleanwork_runs) a) ORDER BY r.agent"}),
                   {}, runs);
}

HistoryResult HistoryStore::KeptOutputOf(const std::string& agent, std::size_t before,
                                         std::optional<KeptOutput>& kept) {
    return ReadKeptOutput("o.content", std::string(kNewestFirst) + " LIMIT 1 OFFSET $2",
                          {SqlValue::Bytes(agent), Count(before)}, kept);
}

// The first kept output of the agent $1 that `rest` (what follows the
// conditions of the query) picks, with `content` as its content.
HistoryResult HistoryStore::ReadKeptOutput(std::string_view content, std::string_view rest,
                                           std::initializer_list<SqlValue> values,
                                           std::optional<KeptOutput>& kept) {
    std::vector<RunEntry> runs;
    std::vector<SqlRow> rows;
    HistoryResult result =
        Entries(Sql({"SELECT ", kRunColumns, ", ", content,
                     " FROM gleanwork_runs r "
                     "JOIN gleanwork_outputs o ON o.agent = r.agent AND o.digest = r.output_digest "
                     "WHERE r.agent = $1 AND r.kept = 1",
                     rest}),
                values, runs, &rows);
    kept.reset();
    if (!runs.empty()) {
        kept = KeptOutput{runs.front(), rows.front()[kRunColumnCount].value_or("")};
    }
    return result;
}

HistoryResult HistoryStore::KeptLog(std::int64_t run, std::optional<std::string>& log) {
    std::vector<SqlRow> rows;
    HistoryResult result = connection_->Run("SELECT text FROM gleanwork_logs WHERE run = $1",
                                            {SqlValue::Integer(run)}, &rows);
    log.reset();
    if (!rows.empty()) {
        log = rows.front().front().value_or("");
    }
    return result;
}

}  // namespace gleanwork
