#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "database/Database.h"

namespace gleanwork {

// The tickets and outcomes of the statements sent on one connection, with
// the rule that keeps a caller's statements in order after a refusal: from
// the refusal of a statement until the caller is told of it, every statement
// sent is dropped.
class StatementOutcomes {
public:
    // The ticket of a statement being sent. When a refusal is still untold,
    // the statement is recorded as dropped at once, and otherwise as
    // `instead` with `reason` when that is not kDone (the statement cannot
    // run); `accepted` is then false: it must not run.
    StatementTicket NewTicket(bool& accepted, StatementOutcome instead = StatementOutcome::kDone,
                              const char* reason = "");

    // Records the outcome of `ticket`; outcomes are recorded in ticket order.
    void Record(StatementTicket ticket, StatementOutcome outcome, std::string error = {});
    // Records `outcome` for every ticket given out that has none yet.
    void RecordRest(StatementOutcome outcome, const std::string& error = {});

    bool AnyRecorded() const { return !recorded_.empty(); }
    // Moves the outcomes recorded so far to the end of `reports`: the caller
    // is told of them, a refusal among them included.
    void MoveTo(std::vector<StatementReport>& reports);
    // Takes the outcome of `ticket` alone out of those recorded, leaving the
    // others for MoveTo. False when it is not recorded.
    bool Take(StatementTicket ticket, StatementReport& report);

private:
    std::vector<StatementReport> recorded_;
    StatementTicket next_ = 1;
    StatementTicket known_ = 0;  // the last ticket with an outcome
    bool refusalUntold_ = false;
};

}  // namespace gleanwork
