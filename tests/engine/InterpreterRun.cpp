#include "engine/InterpreterRun.h"

#include <gtest/gtest.h>

#include <string_view>
#include <utility>

#include "support/TempFolder.h"

namespace gleanwork::test {

namespace {

// Records every line and calls back after each one.
class ObservedRunLog : public RunLog {
public:
    explicit ObservedRunLog(std::function<void()> onLine) : onLine_(std::move(onLine)) {}

    void LogLine(std::string_view line) override { Take(line); }
    void LogCommand(std::string_view line) override { Take(line); }

    std::vector<std::string> lines;

private:
    void Take(std::string_view line) {
        lines.emplace_back(line);
        if (onLine_) {
            onLine_();
        }
    }

    std::function<void()> onLine_;
};

}  // namespace

ScriptResult RunScriptOver(AgentDefinition agent, const std::string& source,
                           const std::function<void(AgentEngine&)>& onLine) {
    const TempFolder folder;
    // The source comes in through the engine's text, so that no reader
    // alters it; the agent's file is empty and adds nothing.
    WriteFile(folder / "empty.txt", "");
    agent.URL = folder / "empty.txt";
    agent.FILE = folder / "out.txt";
    AgentEngine* running = nullptr;
    ObservedRunLog log([&] {
        if (onLine && running != nullptr) {
            onLine(*running);
        }
    });
    AgentEngine engine(agent, &log);
    running = &engine;
    engine.sourceText() = source;
    engine.Run();

    const std::vector<std::string> head{"Engine started.",
                                        "Setting variables...",
                                        "Reading file: " + agent.URL,
                                        "Opening output file: " + agent.FILE,
                                        "Starting script...",
                                        ""};
    std::vector<std::string>& lines = log.lines;
    if (lines.size() < head.size() + 1 || !std::equal(head.begin(), head.end(), lines.begin()) ||
        lines.back() != "Agent completed.") {
        ADD_FAILURE() << "not the lines of an ordinary run, " << lines.size() << " lines";
        return {lines, ReadFile(agent.FILE)};
    }
    return {std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(head.size()),
                                     lines.end() - 1),
            ReadFile(agent.FILE)};
}

ScriptResult RunScriptOver(const std::vector<std::string>& script, const std::string& source) {
    AgentDefinition agent;
    agent.name = "Test";
    agent.SCRIPT = script;
    return RunScriptOver(std::move(agent), source);
}

}  // namespace gleanwork::test
