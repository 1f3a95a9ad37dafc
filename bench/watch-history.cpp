// Times the run history, for bench/watch.
//
// Usage: watch_bench WORK_FOLDER [RUNS AGENTS]
//
// In WORK_FOLDER (which must exist and be empty) it writes two outputs of
// about 1 MB (20,000 lines) that differ in 1 % of their lines, as
// before.txt and after.txt, and times:
//   - comparing them and writing their unified diff, and the same for an
//     output whose every line changed and for one whose lines were shuffled
//     (medians of 11);
//   - recording a run with a new 1 MB output, and with an unchanged one, in
//     record/history.db, against writing that output to a file (medians of
//     31);
//   - with RUNS runs of AGENTS agents recorded in scale/history.db (default
//     100,000 and 1,000), the last run of every agent and the runs of one
//     agent (medians of 5 and 11).
// It prints one "key value" line per figure, times in milliseconds.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "watch/OutputComparison.h"
#include "watch/RunRecording.h"
#include "watch/SqliteHistory.h"
#include "watch/UnifiedDiff.h"

using namespace gleanwork;

namespace {

using Clock = std::chrono::steady_clock;

// The median of `rounds` timings of `step`, in milliseconds.
double MedianMilliseconds(int rounds, const std::function<void(int)>& step) {
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        const auto started = Clock::now();
        step(round);
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - started).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// 20,000 lines of about 52 bytes: an item, a name, a price and a stock.
std::vector<std::string> ItemLines() {
    std::mt19937 random(1);
    std::vector<std::string> lines;
    for (int item = 0; item < 20000; ++item) {
        lines.push_back("item " + std::to_string(100000 + item) + " name-" +
                        std::to_string(random() % 100000000) + " price " +
                        std::to_string(random() % 10000) + "." +
                        std::to_string(random() % 90 + 10) + " in stock " +
                        std::to_string(random() % 50));
    }
    return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

void WriteText(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        std::fprintf(stderr, "watch_bench: cannot write %s\n", path.c_str());
        std::exit(2);
    }
    ::close(fd);
}

HistoryStore OpenStore(const std::string& path) {
    HistoryResult result;
    std::unique_ptr<HistoryConnection> connection = OpenSqliteHistory(path, result);
    if (!connection) {
        std::fprintf(stderr, "watch_bench: %s\n", result.reason.c_str());
        std::exit(2);
    }
    return HistoryStore(std::move(connection));
}

FinishedRun Finished(long long second, const std::string& output) {
    FinishedRun run;
    run.outcome.started = std::chrono::system_clock::time_point(std::chrono::seconds(second));
    run.outcome.duration = std::chrono::seconds(2);
    run.outcome.linesPrinted = 1;
    run.output = output;
    run.log = {{"Engine started.", "Setting variables...", "Reading file: page.html"},
               0,
               {"Agent completed."}};
    return run;
}

void Record(HistoryStore& store, const AgentDefinition& agent, const FinishedRun& run) {
    const RecordedRun recorded = RecordRun(store, agent, run);
    if (!recorded.stored) {
        std::fprintf(stderr, "watch_bench: %s\n", recorded.stored.reason.c_str());
        std::exit(2);
    }
}

AgentDefinition Agent(const std::string& name) {
    AgentDefinition agent;
    agent.name = name;
    return agent;
}

// Prints the median time of comparing `before` with `after` and writing
// their diff, as `name`_ms, and its counts.
void TimeDiff(const std::string& name, const std::string& before, const std::string& after) {
    OutputComparison comparison;
    const double milliseconds = MedianMilliseconds(11, [&](int) {
        comparison = CompareOutputs(before, after, {});
        static_cast<void>(UnifiedDiff(comparison, "before.txt", "after.txt"));
    });
    std::printf("%s_ms %.2f\n%s_added %zu\n%s_removed %zu\n", name.c_str(), milliseconds,
                name.c_str(), comparison.added, name.c_str(), comparison.removed);
}

void TimeRecording(const std::string& folder, const std::string& output) {
    HistoryStore store = OpenStore(folder + "/history.db");
    std::printf("record_new_ms %.2f\n", MedianMilliseconds(31, [&](int round) {
                    Record(store, Agent("New " + std::to_string(round)), Finished(round, output));
                }));
    std::printf("record_unchanged_ms %.2f\n", MedianMilliseconds(31, [&](int round) {
                    Record(store, Agent("New 0"), Finished(100 + round, output));
                }));
    std::printf("write_output_file_ms %.2f\n",
                MedianMilliseconds(31, [&](int) { WriteText(folder + "/copy.txt", output); }));
}

void TimeScale(const std::string& folder, int runs, int agents) {
    HistoryStore store = OpenStore(folder + "/history.db");
    const auto started = Clock::now();
    for (int run = 0; run < runs; ++run) {
        const int day = run / agents;
        const std::string output =
            "price " + std::to_string(day % 3) + "\nstock " + std::to_string(day % 2) + "\n";
        Record(store, Agent("Agent " + std::to_string(run % agents)),
               Finished(1'700'000'000LL + run * 60, output));
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    std::printf("seeded_runs %d\nseeded_agents %d\nseed_runs_per_s %.0f\n", runs, agents,
                runs / seconds);
    std::vector<RunEntry> last;
    std::printf("last_runs_ms %.2f\n",
                MedianMilliseconds(5, [&](int) { static_cast<void>(store.LastRuns(last)); }));
    std::printf("last_runs %zu\n", last.size());
    std::vector<RunEntry> ofOne;
    std::printf("runs_of_agent_ms %.2f\n", MedianMilliseconds(11, [&](int) {
                    static_cast<void>(store.Runs("Agent 42", ofOne));
                }));
    std::printf("runs_of_agent %zu\n", ofOne.size());
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: watch_bench WORK_FOLDER [RUNS AGENTS]\n");
        return 2;
    }
    const std::string work = argv[1];
    const int runs = argc == 4 ? std::atoi(argv[2]) : 100000;
    const int agents = argc == 4 ? std::atoi(argv[3]) : 1000;
    std::vector<std::string> lines = ItemLines();
    const std::string before = Joined(lines);
    std::vector<std::string> changed = lines;
    for (std::size_t at = 37; at < changed.size(); at += 100) {
        changed[at] += " (sold out)";
    }
    const std::string after = Joined(changed);
    WriteText(work + "/before.txt", before);
    WriteText(work + "/after.txt", after);
    std::printf("output_bytes %zu\n", after.size());
    TimeDiff("diff", before, after);
    for (std::string& line : changed) {
        line += " at 10:15";  // a time stamp on every line
    }
    TimeDiff("diff_all_changed", before, Joined(changed));
    std::shuffle(lines.begin(), lines.end(), std::mt19937(2));
    TimeDiff("diff_shuffled", before, Joined(lines));
    ::mkdir((work + "/record").c_str(), 0755);
    TimeRecording(work + "/record", after);
    ::mkdir((work + "/scale").c_str(), 0755);
    TimeScale(work + "/scale", runs, agents);
    return 0;
}
