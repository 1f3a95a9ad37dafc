#pragma once

#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace gleanwork::test {

// One case of a case file: "=== name" begins it, each "--- section" line
// begins a section that holds the lines up to the next header (trailing
// empty lines dropped). In a "--- section escaped" \n \r \t \0 \\ and \xHH
// stand for their bytes. Lines that begin with "##" are comments.
struct Case {
    std::string name;
    std::string where;  // "path:line" of its "===" line
    std::multimap<std::string, std::vector<std::string>> sections;

    bool Has(const std::string& section) const { return sections.count(section) > 0; }
    std::vector<std::string> Lines(const std::string& section) const;  // of the first such
    std::vector<std::string> Texts(const std::string& section) const;  // each such, lines joined
    std::string Text(const std::string& section) const;                // the first text
};

// The cases of a case file, and its faults of form ("path:line: what"): a
// section not among the known ones, text outside a case, no case at all.
struct CaseFile {
    std::vector<Case> cases;
    std::vector<std::string> errors;
};

// The case file at `path`, whose sections may be those of `sections`.
CaseFile ReadCaseFile(const std::string& path, const std::set<std::string>& sections);

// A table of a case file: the lines of section "rows" of case `name`, each
// cut at "=>" into fields without their surrounding spaces.
using Table = std::vector<std::vector<std::string>>;
Table ReadTable(const std::string& path, const std::string& name, std::vector<std::string>& errors);

// A case's name as a test name: letters and digits, runs of others as "_".
std::string TestNameOf(const std::string& name);

inline void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

}  // namespace gleanwork::test
