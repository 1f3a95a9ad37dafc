// Times the PostgreSQL statement pipeline by itself, for bench/database.
//
// Usage: database_bench PAGE URI USER PASSWORD [WINDOW]
//
// Reads every href value of PAGE (as the agent of bench/database finds
// them: after each `href="`, up to the next `"`) and inserts each into the
// table links of the database at URI, one run of the agent's statement per
// value, as a script run that goes on without waiting would: it sends each
// run, looks at the outcomes every 256 runs, and waits for them whenever
// WINDOW runs (default 4,096) have no outcome yet. Commits at the end.
// Prints "rows N", "seconds S" (from the connection to the commit) and
// "failed F" (runs that did not land); exits with 1 when F is not 0.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "database/PostgresDatabase.h"
#include "run/DatabaseSession.h"

using namespace gleanwork;

namespace {

constexpr const char* kTemplate = "INSERT INTO links (href) VALUES ('{href}')";
constexpr std::size_t kLookEvery = 256;

std::vector<std::string> HrefValues(const std::string& page) {
    std::vector<std::string> values;
    const std::string_view text(page);
    constexpr std::string_view kStart = "href=\"";
    for (std::size_t at = text.find(kStart); at != std::string_view::npos;
         at = text.find(kStart, at)) {
        at += kStart.size();
        const std::size_t end = text.find('"', at);
        if (end == std::string_view::npos) {
            break;
        }
        values.emplace_back(text.substr(at, end - at));
        at = end;
    }
    return values;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: database_bench PAGE URI USER PASSWORD [WINDOW]\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::string page((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    const std::size_t window = argc > 5 ? std::strtoul(argv[5], nullptr, 10) : 4096;
    const std::vector<std::string> values = HrefValues(page);

    const auto started = std::chrono::steady_clock::now();
    std::string error;
    const std::unique_ptr<Database> database =
        OpenPostgresDatabase(argv[2], {argv[3], argv[4]}, error);
    std::unique_ptr<DatabaseStatement> statement;
    if (!database || database->Begin(error) != DatabaseResult::kDone ||
        database->Prepare(ParameterizeFor(kTemplate, *database).sql, statement, error) !=
            DatabaseResult::kDone) {
        std::fprintf(stderr, "database_bench: %s\n", error.c_str());
        return 2;
    }
    std::vector<StatementReport> reports;
    std::size_t known = 0;
    std::size_t failed = 0;
    const auto count = [&] {
        for (const StatementReport& report : reports) {
            failed += report.outcome != StatementOutcome::kDone;
        }
        known += reports.size();
        reports.clear();
    };
    for (std::size_t sent = 0; sent < values.size();) {
        const std::string* bound = &values[sent];
        database->Send(*statement, {&bound, 1});
        if (++sent % kLookEvery == 0) {
            database->Collect(reports);
            count();
        }
        if (sent - known >= window) {
            database->Wait(reports);
            count();
        }
    }
    database->Wait(reports);
    count();
    if (database->Commit(error) != DatabaseResult::kDone) {
        std::fprintf(stderr, "database_bench: %s\n", error.c_str());
        return 2;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("rows %zu\nseconds %.3f\nfailed %zu\n", values.size() - failed, seconds, failed);
    return failed == 0 ? 0 : 1;
}
