#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "net/HttpLimits.h"
#include "run/DatabaseSession.h"
#include "run/PageBrowser.h"
#include "run/RunControl.h"
#include "run/RunCookieFile.h"
#include "run/RunLogWriter.h"
#include "run/RunOutcome.h"
#include "run/RunOutput.h"
#include "run/StepControl.h"
#include "script/RunLog.h"
#include "script/VariableTable.h"
#include "storage/AgentDefinition.h"

namespace gleanwork {

// Runs one agent once: reads its source, runs its script over the text,
// writes what the script prints and reports every step to the run log.
// The engine keeps its own copy of the agent, so the caller's record may
// change or go while the run lasts.
//
// Every failure is an error line. A run whose source failed (a failure
// while it was read, or nothing read) or that was stopped before its
// script began leaves the output file as it was; so does a run whose output
// could not be written completely or that ended on an exception. A run whose
// source failed leaves its database as it was too: its statements run, and
// are undone at its end. A test run writes nothing anywhere. Relative paths
// in URL and FILE are relative to the installation folder. The agent's
// cookie file gives the run its cookies, and gets them back at the end of
// any run but a test run.
class AgentEngine {
public:
    // `log` may be null: the run is then silent. It must outlive the engine.
    AgentEngine(const AgentDefinition& agent, RunLog* log);

    // One complete run, and what it came to; its log always ends with
    // "Agent completed.". Throws nothing.
    RunOutcome Run();

    // Reads the agent's source as the run reads it, within the run's limits.
    SourceResult ReadSource();

    // Asks the run to stop: a wait of the fetch ends at once, a database
    // statement is interrupted, a paused run is released and no further
    // script line runs. Safe from any thread, also before the run has started
    // (it then runs no script line).
    void Stop();
    // The part of Stop that is safe in a signal handler: the same, but a
    // paused run stays paused.
    void StopFromSignal() noexcept { control_.Stop(); }
    bool IsRunning() const { return control_.IsRunning(); }

    // Lets `control` pause the script between lines; it must outlive the run.
    // Stop releases a paused run.
    void SetStepControl(StepControl* control) { stepControl_ = control; }

    // A test run tries the agent out: what it prints goes nowhere and its
    // database statements are undone at its end, and its log says so.
    void SetTestRun(bool testRun) { testRun_ = testRun; }

    void SetHttpLimits(const HttpLimits& limits) { httpLimits_ = limits; }
    void SetRunLimits(const RunLimits& limits) { control_.SetLimits(limits); }
    void SetPageReader(PageBrowser::PageReader reader) { pages_.SetPageReader(std::move(reader)); }

private:
    // Reads the source and runs the script.
    void ReadAndRun();
    // The outcome of the run that has ended, started at `started` (`start`
    // on the steady clock), whose output came to `output`.
    RunOutcome Outcome(std::chrono::system_clock::time_point started,
                       std::chrono::steady_clock::time_point start, OutputFate output) const;
    // The HTTP limits of this run's fetches: the ones set, watching the run's
    // stop signal, and no longer than the run may last.
    HttpLimits FetchLimits() const;
    // Where the script's output goes, after the source was read or not.
    void ChooseOutput(bool sourceRead);
    void OpenOutput();

    const AgentDefinition agent_;
    RunLogWriter log_;
    RunOutput output_;
    PageBrowser pages_;
    RunCookieFile cookieFile_;
    DatabaseSession database_;
    VariableTable variables_;
    HttpLimits httpLimits_;
    StepControl* stepControl_ = nullptr;
    bool testRun_ = false;
    RunControl control_;  // last: its watcher ends before what it stops goes
};

}  // namespace gleanwork
