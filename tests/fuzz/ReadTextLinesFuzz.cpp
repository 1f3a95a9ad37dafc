// Arbitrary file bytes through ReadTextLines: the lines come after those
// already listed, in the order of the file, none empty, none a comment, none
// holding a line feed; and every line reads as a number without harm.
#include "FuzzFrame.h"
#include "base/TextScan.h"
#include "storage/TextLines.h"

namespace gleanwork::fuzz {

FUZZ_TARGET(ReadTextLines) {
    std::vector<std::string> lines{"kept"};
    FUZZ_CHECK(ReadTextLines(WriteScratchFile("lines.txt", input), lines) == 0);
    FUZZ_CHECK(lines.front() == "kept");
    std::size_t at = 0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        FUZZ_CHECK(!line.empty() && line.front() != ';' && line.find('\n') == std::string::npos);
        // The first place from `at` on where a line begins with it.
        at = input.find(line, at);
        while (at != std::string_view::npos && at > 0 && input[at - 1] != '\n') {
            at = input.find(line, at + 1);
        }
        FUZZ_CHECK(at != std::string_view::npos);
        at += line.size();
        FUZZ_CHECK(at == input.size() || input.substr(at).starts_with("\n") ||
                   input.substr(at).starts_with("\r\n"));
        ReadDecimal(line);
    }
}

}  // namespace gleanwork::fuzz
