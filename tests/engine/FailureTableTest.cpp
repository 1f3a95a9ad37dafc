#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "engine/AgentEngine.h"
#include "net/LoopbackServer.h"
#include "support/RecordingRunLog.h"
#include "support/TempFolder.h"

namespace gleanwork {
namespace {

using namespace std::chrono_literals;
using test::LoopbackServer;
using test::ScriptedReply;

// The source of a row: its URL, and the server (if any) that must live
// while the run reads it.
struct Source {
    std::string url;
    std::shared_ptr<void> keeper;
};

Source Serving(std::vector<ScriptedReply> replies) {
    auto server = std::make_shared<LoopbackServer>(std::move(replies));
    return {server->Url(), server};
}

const std::vector<std::string> kEndlessLoop = {"BOOKMARK top", "PRINTLN \"x\"", "INSERTDATA",
                                               "JUMPIFOK top"};

struct FailureRow {
    const char* name;
    std::function<Source(const test::TempFolder&)> source;
    const char* errorLine;  // how the error line begins; null: no error line
    bool outputKept;        // the old output file stays as it was
    HttpLimits limits = {};
    RunLimits runLimits = {};
    std::vector<std::string> script = {"PRINTLN \"new\""};
    std::string file = "out.txt";
};

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

TEST(EngineFailures, EveryFailureIsAnErrorLineAndNoFailedRunDamagesTheOutput) {
    const ScriptedReply stall{{}, {}, ScriptedReply::Ending::Hold};
    const std::vector<FailureRow> rows = {
        {"a clean run replaces the output",
         [](const test::TempFolder& f) {
             test::WriteFile(f / "page", "p");
             return Source{f / "page", nullptr};
         },
         nullptr, false},
        {"status 404",
         [](auto&) { return Serving({test::Reply("HTTP/1.0 404 Not Found\r\n\r\nx")}); },
         "ERROR: HTTP/1.0 404 Not Found", true},
        {"refused connect",
         [](auto&) {
             auto port = std::make_shared<test::RefusingPort>();
             return Source{"http://127.0.0.1:" + std::to_string(port->Port()) + "/", port};
         },
         "ERROR: Failed to connect", true},
        {"missing file",
         [](const test::TempFolder& f) {
             return Source{f / "none", nullptr};
         },
         "ERROR: Cannot read /", true},
        {"sparse 100 GB file",
         [](const test::TempFolder& f) {
             test::WriteFile(f / "huge", "");
             std::filesystem::resize_file(f / "huge", std::uintmax_t{100} << 30);
             return Source{f / "huge", nullptr};
         },
         "ERROR: Cannot read /", true},
        {"endless body",
         [](auto&) {
             return Serving({ScriptedReply{
                 {"HTTP/1.0 200 OK\r\n\r\n", std::string(1 << 16, 'x'), std::string(1 << 16, 'x')},
                 {},
                 ScriptedReply::Ending::Hold}});
         },
         "ERROR: The source is larger than 100000 bytes", true,
         HttpLimits{.maxSourceBytes = 100000}},
        {"one byte at a time",
         [](auto&) {
             return Serving({ScriptedReply{std::vector<std::string>(20, "H"), 50ms,
                                           ScriptedReply::Ending::Close}});
         },
         "ERROR: The fetch took longer than", true, HttpLimits{.fetch = 300ms}},
        {"stop during a receive", [&](auto&) { return Serving({stall}); }, nullptr, true},
        {"endless loop under a step limit",
         [](const test::TempFolder& f) {
             test::WriteFile(f / "page", "p");
             return Source{f / "page", nullptr};
         },
         "ERROR: The run took more than 1000 steps",
         false,
         {},
         RunLimits{.maxSteps = 1000},
         kEndlessLoop},
        {"output folder missing",
         [](const test::TempFolder& f) {
             test::WriteFile(f / "page", "p");
             return Source{f / "page", nullptr};
         },
         "ERROR: Cannot open /",
         true,
         {},
         {},
         {"PRINTLN \"new\""},
         "no/out.txt"},
    };
    for (const FailureRow& row : rows) {
        SCOPED_TRACE(row.name);
        const test::TempFolder folder;
        test::WriteFile(folder / "out.txt", "old");
        const Source source = row.source(folder);
        AgentDefinition agent;
        agent.URL = source.url;
        agent.FILE = folder / row.file;
        agent.SCRIPT = row.script;
        StoppingLog log;
        AgentEngine engine(agent, &log);
        log.engine = std::string_view(row.name).starts_with("stop") ? &engine : nullptr;
        engine.SetHttpLimits(row.limits);
        engine.SetRunLimits(row.runLimits);
        engine.Run();

        EXPECT_EQ(log.lines.back(), "Agent completed.");
        const auto error = std::find_if(log.lines.begin(), log.lines.end(), [](auto& line) {
            return line.starts_with("ERROR: ") && !line.starts_with("ERROR: Unable to read");
        });
        EXPECT_EQ(engine.ErrorLogged(), row.errorLine != nullptr);
        if (row.errorLine != nullptr) {
            ASSERT_NE(error, log.lines.end());
            EXPECT_TRUE(error->starts_with(row.errorLine)) << *error;
        }
        EXPECT_EQ(test::ReadFile(folder / "out.txt") == "old", row.outputKept);
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
            EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
        }
    }
}

}  // namespace
}  // namespace gleanwork
