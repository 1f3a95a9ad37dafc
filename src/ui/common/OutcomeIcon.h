#pragma once

#include <QIcon>
#include <QString>

#include "watch/HistoryOutcome.h"

namespace gleanwork {

// A small round mark in the colour of a run's outcome: green for ok and
// unchanged, blue for changed, amber for empty, red for failed, grey for
// stopped.
QIcon OutcomeIcon(HistoryOutcome outcome);

// The outcome's word, as the windows show it.
QString OutcomeText(HistoryOutcome outcome);

}  // namespace gleanwork
