#include "engine/ScriptChecker.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace gleanwork {
namespace {

struct CheckerCase {
    std::string name;
    std::vector<std::string> script;
    std::vector<std::string> messages;  // "LINE: message"
};

// Reads tests/data/checker/cases.txt: "=== name", then "--- script" and
// "--- messages" sections of one item a line; "##" lines are comments.
std::vector<CheckerCase> ReadCheckerCases() {
    std::ifstream file(GLEANWORK_TEST_DATA "/checker/cases.txt");
    std::vector<CheckerCase> cases;
    std::vector<std::string>* section = nullptr;
    for (std::string line; std::getline(file, line);) {
        if (line.starts_with("##")) {
            continue;
        }
        if (line.starts_with("=== ")) {
            cases.push_back({line.substr(4), {}, {}});
            section = nullptr;
        } else if (line == "--- script") {
            section = &cases.back().script;
        } else if (line == "--- messages") {
            section = &cases.back().messages;
        } else if (section != nullptr && !(section == &cases.back().messages && line.empty())) {
            section->push_back(line);
        }
    }
    return cases;
}

TEST(ScriptChecker, CasesFromTheDataFile) {
    const std::vector<CheckerCase> cases = ReadCheckerCases();
    ASSERT_GE(cases.size(), 5U);
    for (const CheckerCase& checkerCase : cases) {
        std::vector<std::string> messages;
        for (const ScriptMessage& message : CheckScript(checkerCase.script)) {
            messages.push_back(std::to_string(message.line) + ": " + message.message);
        }
        EXPECT_EQ(messages, checkerCase.messages) << checkerCase.name;
    }
}

}  // namespace
}  // namespace gleanwork
