#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace gleanwork::test {

// One case of an interpreter case file: a script, the source it runs over,
// the agent's statement templates, and the run-log lines and output that the
// run must give.
struct InterpreterCase {
    std::string name;
    int line = 0;  // where the case begins in its file
    std::vector<std::string> script;
    std::string source;
    std::string dbInsert;
    std::string dbUpdate;
    std::vector<std::string> log;
    std::string output;
};

// Names a case in test failure messages.
inline void PrintTo(const InterpreterCase& interpreterCase, std::ostream* out) {
    *out << interpreterCase.name;
}

// Reads the cases of a case file. Its format:
//
//   ## a comment line (anywhere)
//   === name of the case
//   --- script
//   one script line per line
//   --- source
//   the text, its lines joined by line feeds, with none after the last
//   --- log
//   one run-log line per line
//   --- output
//   the output, like the source
//
// Sections "dbinsert" and "dbupdate" give the agent's templates; "source",
// "output", "dbinsert" and "dbupdate" may be left out (empty). Blank lines at
// the end of a section only separate. A section header followed by "escaped"
// takes C escapes in its text (\n \r \t \0 \\ \xHH), for line feeds at the
// end, trailing spaces and other bytes that plain lines cannot show.
// Problems (an unknown section, text before the first case, trailing white
// space, a duplicate name) are added to `errors`.
std::vector<InterpreterCase> ReadInterpreterCases(const std::string& path,
                                                  std::vector<std::string>& errors);

// `name` with every character that a test name cannot hold made "_".
std::string TestNameOf(const std::string& name);

}  // namespace gleanwork::test
