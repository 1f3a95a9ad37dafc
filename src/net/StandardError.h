#pragma once

#include <string_view>

namespace gleanwork {

// Writes `text` to the standard error stream as it stands, in one piece. A
// diagnostic written without a line end leaves its line open; see
// EndStandardErrorLine.
void WriteStandardError(std::string_view text);

// Ends the line that the last text of WriteStandardError left open, if it
// did: whoever writes lines of their own to standard error calls this first,
// so that no line of theirs runs on from a diagnostic.
void EndStandardErrorLine();

}  // namespace gleanwork
