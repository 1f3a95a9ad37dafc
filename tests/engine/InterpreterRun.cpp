#include "engine/InterpreterRun.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string_view>

#include "engine/ScriptInterpreter.h"
#include "support/RecordingRunLog.h"
#include "support/ScriptRunParts.h"
#include "support/TempFolder.h"

namespace gleanwork::test {

ScriptResult RunScriptOver(AgentDefinition agent, const std::string& source,
                           const std::function<void(std::atomic<bool>&)>& onLine) {
    const TempFolder folder;
    agent.FILE = folder / "out.txt";
    RecordingRunLog log;
    ScriptRunParts parts(&log);
    if (onLine) {
        log.onLine = [&](std::string_view) { onLine(parts.running); };
    }
    EXPECT_TRUE(parts.output.OpenFile(agent.FILE, false));
    ScriptInterpreter(parts.For(agent, source)).RunScript();
    parts.output.Close();

    const std::vector<std::string> head{"Starting script...", ""};
    const std::vector<std::string>& lines = log.lines;
    if (lines.size() < head.size() || !std::equal(head.begin(), head.end(), lines.begin())) {
        ADD_FAILURE() << "not the lines of an ordinary run, " << lines.size() << " lines";
        return {lines, ReadFile(agent.FILE)};
    }
    return {{lines.begin() + static_cast<std::ptrdiff_t>(head.size()), lines.end()},
            ReadFile(agent.FILE)};
}

}  // namespace gleanwork::test
