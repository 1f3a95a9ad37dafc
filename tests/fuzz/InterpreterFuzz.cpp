// An arbitrary script over an arbitrary source through a whole engine run.
// The input is the script (lines split at line feeds) up to its first zero
// byte and the source after it. A script may loop by design, so the run log
// stops the engine after a bounded number of commands; the run must then
// still end and report its completion last.
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "FuzzTargets.h"
#include "engine/AgentEngine.h"
#include "engine/RunLog.h"

namespace gleanwork::fuzz {

namespace {

constexpr int kMostCommands = 256;

// Stops the run once the script has executed its share of commands.
class BoundedRunLog : public RunLog {
public:
    void Watch(AgentEngine& engine) { engine_ = &engine; }

    void LogLine(std::string_view line) override { lastLine_.assign(line); }

    void LogCommand(std::string_view line) override {
        FUZZ_CHECK(line.starts_with("# "));
        if (++commands_ >= kMostCommands) {
            engine_->Stop();
        }
        FUZZ_CHECK(commands_ <= kMostCommands);
    }

    const std::string& lastLine() const { return lastLine_; }

private:
    AgentEngine* engine_ = nullptr;
    int commands_ = 0;
    std::string lastLine_;
};

}  // namespace

void FuzzInterpreter(std::string_view input) {
    std::string_view script;
    const std::string_view source = SplitAtZero(input, script);
    AgentDefinition agent;
    agent.name = "fuzz";
    agent.SCRIPT = SplitLines(script);
    agent.URL = WriteScratchFile("source.html", source);
    agent.FILE = "/dev/null";
    // The statements of INSERTDATA and UPDATEDATA: the first two lines.
    agent.DBINSERT = agent.SCRIPT.empty() ? "" : agent.SCRIPT.front();
    agent.DBUPDATE = agent.SCRIPT.size() < 2 ? "" : agent.SCRIPT[1];

    BoundedRunLog log;
    AgentEngine engine(agent, &log);
    log.Watch(engine);
    // FETCH reads the source again, whatever address it names.
    engine.SetPageReader([source](const SourceContext&, std::string& text) {
        text.assign(source);
        return static_cast<std::int64_t>(text.size());
    });
    engine.Run();
    FUZZ_CHECK(log.lastLine() == "Agent completed.");
}

}  // namespace gleanwork::fuzz
