#include "database/StatementOutcomes.h"

#include <algorithm>
#include <iterator>

namespace gleanwork {

StatementTicket StatementOutcomes::NewTicket(bool& accepted, StatementOutcome instead,
                                             const char* reason) {
    const StatementTicket ticket = next_++;
    accepted = !refusalUntold_ && instead == StatementOutcome::kDone;
    if (refusalUntold_) {
        Record(ticket, StatementOutcome::kDropped);
    } else if (!accepted) {
        Record(ticket, instead, reason);
    }
    return ticket;
}

void StatementOutcomes::Record(StatementTicket ticket, StatementOutcome outcome,
                               std::string error) {
    known_ = ticket;
    refusalUntold_ = refusalUntold_ || outcome == StatementOutcome::kRefused;
    recorded_.push_back({ticket, outcome, std::move(error)});
}

void StatementOutcomes::RecordRest(StatementOutcome outcome, const std::string& error) {
    for (StatementTicket ticket = known_ + 1; ticket < next_; ++ticket) {
        Record(ticket, outcome, error);
    }
}

void StatementOutcomes::MoveTo(std::vector<StatementReport>& reports) {
    std::move(recorded_.begin(), recorded_.end(), std::back_inserter(reports));
    recorded_.clear();
    refusalUntold_ = false;
}

bool StatementOutcomes::Take(StatementTicket ticket, StatementReport& report) {
    const auto found = std::find_if(recorded_.begin(), recorded_.end(),
                                    [&](const StatementReport& r) { return r.ticket == ticket; });
    if (found == recorded_.end()) {
        return false;
    }
    report = std::move(*found);
    recorded_.erase(found);
    refusalUntold_ = std::any_of(recorded_.begin(), recorded_.end(), [](const StatementReport& r) {
        return r.outcome == StatementOutcome::kRefused;
    });
    return true;
}

}  // namespace gleanwork
