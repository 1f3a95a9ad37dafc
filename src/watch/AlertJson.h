#pragma once

#include <string>
#include <string_view>

#include "watch/Alert.h"
#include "watch/AlertRule.h"

namespace gleanwork {

// `text` as a JSON string, quotes included, as the script's json filter
// writes it, with what is no UTF-8 in it as U+FFFD (ValidUtf8).
std::string JsonQuoted(std::string_view text);

// The body of an alert's webhook request: one JSON object with the fields
// "agent", "event", "outcome", "error", "added", "removed" and "diff" (the
// text of the diff itself).
std::string AlertJson(AlertEvent event, const AlertRun& run);

}  // namespace gleanwork
