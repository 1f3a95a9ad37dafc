#pragma once

#include <string>
#include <string_view>

#include "net/SourceContext.h"
#include "storage/AgentDefinition.h"

namespace gleanwork {

// Reads the source of `agent` as a run would (FetchHttp for an "http://" or
// "https://" URL, else the local file), through an engine that logs nowhere. A source that
// cannot be read gives empty or partial text. The call blocks for at most
// the time `limits` allow per connect and per receive.
std::string ReadPreviewSource(const AgentDefinition& agent, const HttpLimits& limits);

// The text prepared for display: a carriage return is put before every line
// feed that does not directly follow one, including a line feed at the very
// start. The text ends at its first zero byte, as it does for a script.
std::string AddCarriageReturns(std::string_view text);

}  // namespace gleanwork
