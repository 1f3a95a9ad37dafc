#include "watch/AlertJson.h"

#include "net/Utf8Conversion.h"
#include "script/ValueFilter.h"

namespace gleanwork {

std::string JsonQuoted(std::string_view text) {
    std::string quoted = ValidUtf8(text);
    ApplyValueFilters("json", quoted);
    return quoted;
}

std::string AlertJson(AlertEvent event, const AlertRun& run) {
    return "{\"agent\":" + JsonQuoted(run.agent) +
           ",\"event\":" + JsonQuoted(AlertEventWord(event)) +
           ",\"outcome\":" + JsonQuoted(run.outcome) + ",\"error\":" + JsonQuoted(run.firstError) +
           ",\"added\":" + std::to_string(run.linesAdded) +
           ",\"removed\":" + std::to_string(run.linesRemoved) +
           ",\"diff\":" + JsonQuoted(run.diff) + "}";
}

}  // namespace gleanwork
