// Whole runs of an agent that prints "new" into out.txt, which held "old":
// every failure is an ERROR line, and no failed or stopped run damages the
// output. The runaway limits and larger sources are in the runner's table.
#include "run/AgentEngine.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "net/LoopbackServer.h"
#include "support/RecordingRunLog.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

using Lines = std::vector<std::string>;
using Fate = OutputFate;

struct RunRow {
    std::string url;  // in the folder, where "page" holds "<a>"; "" for the server
    std::vector<ScriptedReply> replies;
    const char* errorLine;  // how the first ERROR line begins; null: none
    std::string output;     // out.txt after the run
    OutputFate fate;        // as the run's outcome tells it
    int append = 0;
    std::string stopOn = {};  // the run stops on a log line that begins so
    std::string file = "out.txt";
};

TEST(AgentEngineTest, EveryFailureIsAnErrorLineAndNoFailedRunDamagesTheOutput) {
    const std::vector<RunRow> rows = {
        {"page", {}, nullptr, "new\n", Fate::kReplaced},
        {"page", {}, nullptr, "oldnew\n", Fate::kAppended, 1},
        {"page", {}, nullptr, "oldnew\n", Fate::kAppended, -3},
        {"",
         {Reply("HTTP/1.0 404 Not Found\r\n\r\nx")},
         "ERROR: HTTP/1.0 404",
         "old",
         Fate::kLeftAsItWas},
        {"missing", {}, "ERROR: Cannot read /", "old", Fate::kLeftAsItWas},
        {"",
         {ScriptedReply{{}, {}, ScriptedReply::Ending::Hold}},
         nullptr,
         "old",
         Fate::kLeftAsItWas,
         0,
         "Accessing"},
        {"page", {}, nullptr, "old", Fate::kLeftAsItWas, 0, "Engine started."},
        {"page", {}, "ERROR: Cannot open /", "old", Fate::kStandardOutput, 0, "", "no/out.txt"},
    };
    for (const RunRow& row : rows) {
        SCOPED_TRACE(row.url + " " + row.output + " " + row.stopOn + " " + row.file);
        const TempFolder folder;
        WriteFile(folder / "out.txt", "old");
        WriteFile(folder / "page", "<a>");
        LoopbackServer server(row.replies);
        AgentDefinition agent;
        agent.URL = row.url.empty() ? server.Url() : folder / row.url;
        agent.FILE = folder / row.file;
        agent.APPEND = row.append;
        agent.SCRIPT = {"PRINTLN \"new\""};
        RecordingRunLog log;
        AgentEngine engine(agent, &log);
        log.onLine = [&](std::string_view line) {
            if (!row.stopOn.empty() && line.starts_with(row.stopOn)) {
                engine.Stop();
            }
        };
        const RunOutcome outcome = engine.Run();

        EXPECT_EQ(log.lines.back(), "Agent completed.");
        EXPECT_TRUE(row.stopOn.empty() || !engine.IsRunning());
        EXPECT_EQ(outcome.errors > 0, row.errorLine != nullptr);
        const auto error = std::find_if(log.lines.begin(), log.lines.end(),
                                        [](auto& line) { return line.starts_with("ERROR: "); });
        EXPECT_TRUE(row.errorLine == nullptr ||
                    (error != log.lines.end() && error->starts_with(row.errorLine)));
        EXPECT_EQ(outcome.errors, std::count_if(log.lines.begin(), log.lines.end(), [](auto& line) {
                      return line.starts_with("ERROR: ");
                  }));
        EXPECT_EQ(outcome.firstError, error == log.lines.end() ? "" : *error);
        EXPECT_EQ(outcome.end, !row.stopOn.empty() ? RunEnd::kStopped
                               : row.errorLine     ? RunEnd::kCompletedWithErrors
                                                   : RunEnd::kCompleted);
        EXPECT_EQ(outcome.output, row.fate);
        EXPECT_EQ(outcome.outputPath, agent.FILE);
        EXPECT_EQ(outcome.linesPrinted, row.stopOn.empty() ? 1u : 0u);
        EXPECT_EQ(ReadFile(folder / "out.txt"), row.output);
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
            EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
        }
        if (row.file != "out.txt") {
            EXPECT_EQ(*(error - 1), "Error opening output file!");
        }
        if (row.stopOn.starts_with("Engine")) {
            EXPECT_EQ(log.lines, (Lines{"Engine started.", "Setting variables...",
                                        "Reading file: " + agent.URL,
                                        "Output file left as it was: " + agent.FILE,
                                        "Starting script...", "", "Agent completed."}));
        }
    }
}

// A run whose output cannot be written ends at its ERROR line, even an
// endless one, instead of running on without writing.
TEST(AgentEngineTest, AnOutputThatCannotBeWrittenEndsTheRun) {
    const TempFolder folder;
    WriteFile(folder / "page", "<a>");
    AgentDefinition agent;
    agent.URL = folder / "page";
    agent.FILE = "/dev/full";
    // Reads its page again at every turn, so no endless-loop check ends it.
    agent.SCRIPT = {"BOOKMARK top", "FETCH \"" + agent.URL + "\"", "PRINTLN \"x\"", "JUMPIFOK top"};
    RecordingRunLog log;
    AgentEngine engine(agent, &log);
    engine.SetRunLimits({.maxSteps = 1'000'000});
    engine.Run();
    const auto error = std::find_if(log.lines.begin(), log.lines.end(),
                                    [](auto& line) { return line.starts_with("ERROR: "); });
    ASSERT_NE(error, log.lines.end());
    EXPECT_EQ(*error, "ERROR: Cannot write /dev/full: No space left on device");
    EXPECT_LT(log.lines.end() - error, 5);
}

// A run that reaches a limit says which one, beside its error line.
TEST(AgentEngineTest, ARunEndedByALimitSaysWhichLimit) {
    const TempFolder folder;
    WriteFile(folder / "page", "<a>");
    AgentDefinition agent;
    agent.URL = folder / "page";
    agent.SCRIPT = {"BOOKMARK top", "FETCH \"" + agent.URL + "\"", "JUMPIFOK top"};
    const std::pair<RunLimits, RunLimit> limits[] = {
        {{.maxSteps = 50}, RunLimit::kSteps},
        {{.maxDuration = std::chrono::milliseconds(100)}, RunLimit::kTime},
    };
    for (const auto& [limit, reached] : limits) {
        AgentEngine engine(agent, nullptr);
        engine.SetRunLimits(limit);
        const RunOutcome outcome = engine.Run();
        EXPECT_EQ(outcome.end, RunEnd::kLimitReached);
        EXPECT_EQ(outcome.limit, reached);
        EXPECT_EQ(outcome.errors, 1u);
        EXPECT_TRUE(outcome.firstError.starts_with("ERROR: The run took ")) << outcome.firstError;
    }
}

// Only "http://" in lower case makes a URL; anything else names a file.
TEST(AgentEngineTest, ReadsOnlyLowerCaseHttpAsAUrlAndKeepsItsOwnCopyOfTheAgent) {
    for (const std::string url : {"HTTP://example.test/", "http:/", "Http://x", ""}) {
        AgentDefinition agent;
        agent.URL = url;
        RecordingRunLog log;
        AgentEngine(agent, &log).Run();
        ASSERT_GT(log.lines.size(), 4u);
        EXPECT_EQ(log.lines[2], "Reading file: " + url);
        EXPECT_TRUE(log.lines[3].starts_with("ERROR: Cannot read ")) << log.lines[3];
        EXPECT_EQ(log.lines[4], "ERROR: Unable to read specified URL or file");
    }
    const TempFolder folder;
    AgentDefinition changing;
    changing.URL = folder / "page";
    WriteFile(changing.URL, "<a>");
    AgentEngine engine(changing, nullptr);
    changing.URL = "changed";
    const SourceResult read = engine.ReadSource();
    EXPECT_FALSE(read.failure.Failed());
    EXPECT_EQ(read.text, "<a>");
}

}  // namespace
}  // namespace gleanwork::test
