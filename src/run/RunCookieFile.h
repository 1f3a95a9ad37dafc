#pragma once

#include "net/CookieJar.h"
#include "run/RunLogWriter.h"
#include "storage/AgentDefinition.h"

namespace gleanwork {

// The agent's COOKIEFILE for one run: its cookies go into the run's jar when
// the run starts, and the jar goes back into it when the run ends, so that a
// session lasts from one run to the next. Either step logs what it did, and
// a file that cannot be read or written is an error line that ends
// nothing. A file that could not be read is left as it was: the run's
// cookies never replace cookies it did not see. An agent without a
// COOKIEFILE does nothing here.
class RunCookieFile {
public:
    // `agent`, `jar` and `log` must outlive the object.
    RunCookieFile(const AgentDefinition& agent, CookieJar& jar, RunLogWriter& log)
        : agent_(agent), jar_(jar), log_(log) {}

    void Load();
    void Save();

private:
    const AgentDefinition& agent_;
    CookieJar& jar_;
    RunLogWriter& log_;
    bool loaded_ = false;
};

}  // namespace gleanwork
