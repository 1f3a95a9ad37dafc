#include "watch/HistoryTables.h"

namespace gleanwork {

namespace {

// `text` with each "{id}", "{integer}" and "{bytes}" replaced by its type.
std::string WithTypes(std::string_view text, const HistoryTypes& types) {
    std::string sql;
    while (!text.empty()) {
        const std::size_t open = text.find('{');
        sql += text.substr(0, open);
        if (open == std::string_view::npos) {
            break;
        }
        const std::size_t close = text.find('}', open);
        const std::string_view name = text.substr(open + 1, close - open - 1);
        sql += name == "id" ? types.id : name == "integer" ? types.integer : types.bytes;
        text.remove_prefix(close + 1);
    }
    return sql;
}

}  // namespace

std::string HistoryTables(const HistoryTypes& types) {
    return WithTypes(R"(
CREATE TABLE IF NOT EXISTS gleanwork_runs (
    id {id},
    agent {bytes} NOT NULL,
    host {bytes} NOT NULL,
    started {integer} NOT NULL,
    ended {integer} NOT NULL,
    outcome TEXT NOT NULL,
    errors {integer} NOT NULL,
    first_error {bytes} NOT NULL,
    lines_printed {integer} NOT NULL,
    rows_written {integer} NOT NULL,
    output_bytes {integer} NOT NULL,
    output_digest TEXT,
    lines_added {integer},
    lines_removed {integer},
    kept {integer} NOT NULL);
CREATE INDEX IF NOT EXISTS gleanwork_runs_of_agent ON gleanwork_runs (agent, started, id);
CREATE TABLE IF NOT EXISTS gleanwork_outputs (
    agent {bytes} NOT NULL,
    digest TEXT NOT NULL,
    content {bytes} NOT NULL,
    PRIMARY KEY (agent, digest));
CREATE TABLE IF NOT EXISTS gleanwork_logs (
    run {integer} PRIMARY KEY,
    text {bytes} NOT NULL);
)",
                     types);
}

}  // namespace gleanwork
