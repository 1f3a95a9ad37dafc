#include <gtest/gtest.h>

#include <filesystem>

#include "engine/AgentEngine.h"
#include "net/LoopbackServer.h"
#include "support/RecordingRunLog.h"
#include "support/TempFolder.h"

namespace gleanwork {
namespace {

using test::ScriptedReply;

// A log that stops its run once the request has gone out.
class StoppingLog : public test::RecordingRunLog {
public:
    void LogLine(std::string_view line) override {
        RecordingRunLog::LogLine(line);
        if (engine != nullptr && line.starts_with("Accessing URL")) {
            engine->Stop();
        }
    }
    AgentEngine* engine = nullptr;
};

struct FailureRow {
    const char* name;
    std::vector<ScriptedReply> replies;  // none: the source is the file `url`
    std::string url;
    const char* errorLine;  // how the first error line begins; null: none
    bool outputKept;        // out.txt keeps its old content
    std::string file = "out.txt";
};

// The larger sources and the runaway limits are in the runner's table.
TEST(EngineFailures, EveryFailureIsAnErrorLineAndNoFailedRunDamagesTheOutput) {
    const std::vector<FailureRow> rows = {
        {"a clean run replaces the output", {}, "page", nullptr, false},
        {"status 404",
         {test::Reply("HTTP/1.0 404 Not Found\r\n\r\nx")},
         "",
         "ERROR: HTTP/1.0 404",
         true},
        {"missing file", {}, "none", "ERROR: Cannot read /", true},
        {"stop during a receive",
         {ScriptedReply{{}, {}, ScriptedReply::Ending::Hold}},
         "",
         nullptr,
         true},
        {"output folder missing", {}, "page", "ERROR: Cannot open /", true, "no/out.txt"},
    };
    for (const FailureRow& row : rows) {
        SCOPED_TRACE(row.name);
        const test::TempFolder folder;
        test::WriteFile(folder / "out.txt", "old");
        test::WriteFile(folder / "page", "p");
        test::LoopbackServer server(row.replies);
        AgentDefinition agent;
        agent.URL = row.replies.empty() ? folder / row.url : server.Url();
        agent.FILE = folder / row.file;
        agent.SCRIPT = {"PRINTLN \"new\""};
        StoppingLog log;
        AgentEngine engine(agent, &log);
        log.engine = std::string_view(row.name).starts_with("stop") ? &engine : nullptr;
        engine.Run();

        EXPECT_EQ(log.lines.back(), "Agent completed.");
        EXPECT_EQ(engine.ErrorLogged(), row.errorLine != nullptr);
        const auto error = std::find_if(log.lines.begin(), log.lines.end(),
                                        [](auto& line) { return line.starts_with("ERROR: "); });
        EXPECT_TRUE(row.errorLine == nullptr ||
                    (error != log.lines.end() && error->starts_with(row.errorLine)));
        EXPECT_EQ(test::ReadFile(folder / "out.txt") == "old", row.outputKept);
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
            EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
        }
    }
}

}  // namespace
}  // namespace gleanwork
