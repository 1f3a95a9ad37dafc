// Arbitrary file bytes through ReadTextLines: the lines come after those
// already listed, in the order of the file, as a plain split of the file at
// its line feeds gives them (a carriage return before a line feed belongs to
// the line end; empty lines and comments left out); and every line reads as
// a number without harm.
#include <sstream>

#include "FuzzFrame.h"
#include "base/TextScan.h"
#include "storage/TextLines.h"

namespace gleanwork::fuzz {

FUZZ_TARGET(ReadTextLines) {
    std::vector<std::string> lines{"kept"};
    FUZZ_CHECK(ReadTextLines(WriteScratchFile("lines.txt", input), lines) == 0);
    std::vector<std::string> expected{"kept"};
    std::istringstream file{std::string(input)};
    for (std::string line; std::getline(file, line);) {
        const bool endedByLineFeed = !file.eof();
        if (endedByLineFeed && line.ends_with('\r')) {
            line.pop_back();
        }
        if (!line.empty() && line.front() != ';') {
            expected.push_back(line);
        }
    }
    FUZZ_CHECK(lines == expected);
    for (const std::string& line : lines) {
        ReadDecimal(line);
    }
}

}  // namespace gleanwork::fuzz
