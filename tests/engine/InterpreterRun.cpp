#include "engine/InterpreterRun.h"

#include <gtest/gtest.h>

#include "support/RecordingRunLog.h"
#include "support/TempFolder.h"

namespace gleanwork::test {

ScriptResult RunScriptOver(AgentDefinition agent, const std::string& source,
                           const std::function<void(AgentEngine&)>& onLine) {
    const TempFolder folder;
    // The source goes in as the engine's text, which no reader alters; the
    // agent's own source is an empty file.
    WriteFile(folder / "empty.txt", "");
    agent.URL = folder / "empty.txt";
    agent.FILE = folder / "out.txt";
    RecordingRunLog log;
    AgentEngine engine(agent, &log);
    if (onLine) {
        log.onLine = [&](std::string_view) { onLine(engine); };
    }
    engine.sourceText() = source;
    engine.Run();

    const std::vector<std::string> head{"Engine started.",
                                        "Setting variables...",
                                        "Reading file: " + agent.URL,
                                        "Opening output file: " + agent.FILE,
                                        "Starting script...",
                                        ""};
    const std::vector<std::string>& lines = log.lines;
    if (lines.size() <= head.size() || !std::equal(head.begin(), head.end(), lines.begin()) ||
        lines.back() != "Agent completed.") {
        ADD_FAILURE() << "not the lines of an ordinary run, " << lines.size() << " lines";
        return {lines, ReadFile(agent.FILE)};
    }
    return {{lines.begin() + static_cast<std::ptrdiff_t>(head.size()), lines.end() - 1},
            ReadFile(agent.FILE)};
}

}  // namespace gleanwork::test
