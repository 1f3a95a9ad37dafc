#include "engine/InterpreterRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

#include "engine/ScriptInterpreter.h"
#include "support/RecordingRunLog.h"
#include "support/ScriptRunParts.h"
#include "support/TempFolder.h"

namespace gleanwork::test {

ScriptResult RunScriptOver(AgentDefinition agent, const std::string& source,
                           const std::function<void(RunControl&)>& onLine) {
    const TempFolder folder;
    agent.FILE = folder / "out.txt";
    RecordingRunLog log;
    ScriptRunParts parts(&log);
    if (onLine) {
        log.onLine = [&](std::string_view) { onLine(parts.control); };
    }
    int error = 0;
    EXPECT_TRUE(parts.output.OpenFile(agent.FILE, false, error));
    ScriptInterpreter(parts.For(agent, source)).RunScript();
    parts.output.Close(true);

    // The script's lines come after "Starting script..." and an empty line.
    const auto skipped = static_cast<std::ptrdiff_t>(std::min<std::size_t>(log.lines.size(), 2));
    return {{log.lines.begin() + skipped, log.lines.end()}, ReadFile(agent.FILE)};
}

}  // namespace gleanwork::test
