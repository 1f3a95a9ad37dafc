#include "script/ScriptChecker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/CaseFile.h"

namespace gleanwork {
namespace {

// tests/data/checker/cases.txt: each script must give exactly the messages
// listed, "LINE: message".
TEST(ScriptChecker, CasesFromTheDataFile) {
    const test::CaseFile file =
        test::ReadCaseFile(GLEANWORK_TEST_DATA "/checker/cases.txt", {"script", "messages"});
    EXPECT_EQ(file.errors, std::vector<std::string>());
    ASSERT_GE(file.cases.size(), 5U);
    for (const test::Case& checkerCase : file.cases) {
        std::vector<std::string> messages;
        for (const ScriptMessage& message : CheckScript(checkerCase.Lines("script"))) {
            messages.push_back(std::to_string(message.line) + ": " + message.message);
        }
        EXPECT_EQ(messages, checkerCase.Lines("messages")) << checkerCase.name;
    }
}

}  // namespace
}  // namespace gleanwork
