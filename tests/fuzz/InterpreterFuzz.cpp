// An arbitrary script over an arbitrary source through a whole engine run.
// The input is the script (lines split at line feeds) up to its first zero
// byte and the source after it. A script may loop by design, so the run is
// stopped after a bounded number of commands; it must then still end and
// report its completion last, and every echo must be of a script line.
#include <algorithm>

#include "FuzzFrame.h"
#include "run/AgentEngine.h"
#include "support/RecordingRunLog.h"

namespace gleanwork::fuzz {

FUZZ_TARGET(Interpreter) {
    constexpr int kMostCommands = 256;
    std::string_view source;
    AgentDefinition agent;
    agent.SCRIPT = LinesBeforeZero(input, source);
    agent.URL = WriteScratchFile("source.html", source);
    agent.FILE = "/dev/null";
    // The statements of INSERTDATA and UPDATEDATA: the first two lines.
    agent.DBINSERT = agent.SCRIPT.empty() ? "" : agent.SCRIPT.front();
    agent.DBUPDATE = agent.SCRIPT.size() < 2 ? "" : agent.SCRIPT[1];

    test::RecordingRunLog log;
    AgentEngine engine(agent, &log);
    // FETCH reads the source again, whatever address it names.
    engine.SetPageReader([source](const std::string&) {
        return SourceResult{std::string(source), {}};
    });
    int commands = 0;
    log.onLine = [&](std::string_view line) {
        if (line.starts_with("# ") && ++commands >= kMostCommands) {
            engine.Stop();
        }
    };
    engine.Run();
    FUZZ_CHECK(commands <= kMostCommands);
    FUZZ_CHECK(log.lines.back() == "Agent completed.");
    for (const std::string& line : log.lines) {
        FUZZ_CHECK(!line.starts_with("# ") || std::find(agent.SCRIPT.begin(), agent.SCRIPT.end(),
                                                        line.substr(2)) != agent.SCRIPT.end());
    }
}

}  // namespace gleanwork::fuzz
