#include "engine/InterpreterRun.h"

#include <gtest/gtest.h>

#include <string_view>
#include <utility>

#include "engine/ScriptInterpreter.h"
#include "support/ScriptRunParts.h"
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
                           const std::function<void(std::atomic<bool>&)>& onLine) {
    const TempFolder folder;
    agent.FILE = folder / "out.txt";
    std::atomic<bool>* running = nullptr;
    ObservedRunLog log([&] {
        if (onLine && running != nullptr) {
            onLine(*running);
        }
    });
    {
        ScriptRunParts parts(&log);
        running = &parts.running;
        EXPECT_TRUE(parts.output.OpenFile(agent.FILE, false));
        ScriptInterpreter(parts.For(agent, source)).RunScript();
    }

    const std::vector<std::string> head{"Starting script...", ""};
    std::vector<std::string>& lines = log.lines;
    if (lines.size() < head.size() || !std::equal(head.begin(), head.end(), lines.begin())) {
        ADD_FAILURE() << "not the lines of an ordinary run, " << lines.size() << " lines";
        return {lines, ReadFile(agent.FILE)};
    }
    return {std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(head.size()),
                                     lines.end()),
            ReadFile(agent.FILE)};
}

ScriptResult RunScriptOver(const std::vector<std::string>& script, const std::string& source) {
    AgentDefinition agent;
    agent.name = "Test";
    agent.SCRIPT = script;
    return RunScriptOver(std::move(agent), source);
}

}  // namespace gleanwork::test
