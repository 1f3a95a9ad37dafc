// The example agent that logs in through a form, against its own server
// script: the form's hidden token changes every time the form is shown.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "run/AgentEngine.h"
#include "storage/AgentFile.h"
#include "support/RecordingRunLog.h"
#include "support/ServerProcess.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

class LoginExample : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(server.Port(), 0) << "the example's server did not start";
        ASSERT_EQ(ReadAgentFile(agent, GLEANWORK_EXAMPLES "/Agents/Account balance.agt"), 0);
        agent.URL = "http://127.0.0.1:" + std::to_string(server.Port()) + "/login";
        agent.FILE = folder / "balance.txt";
        agent.INTERVAL = "0";
    }

    // Runs the agent; its run log.
    std::vector<std::string> Run() {
        RecordingRunLog log;
        AgentEngine(agent, &log).Run();
        return log.lines;
    }

    ServerProcess server{"exec python3 '" GLEANWORK_EXAMPLES "/login-server.py' 0",
                         "Listening on "};
    TempFolder folder;
    AgentDefinition agent;
};

TEST_F(LoginExample, LogsInAHundredTimesInARow) {
    for (int run = 0; run < 100; ++run) {
        const std::vector<std::string> log = Run();
        ASSERT_THAT(log, Not(Contains(HasSubstr("ERROR")))) << "run " << run;
        ASSERT_EQ(ReadFile(folder / "balance.txt"), "Balance: 1,234.56 EUR\n") << "run " << run;
    }
}

TEST_F(LoginExample, AWrongTokenIsRefusedAndTheRefusalIsThePageRead) {
    std::replace(agent.SCRIPT.begin(), agent.SCRIPT.end(),
                 std::string(R"(FETCH "login" "user=demo&password=demo&token={token|url}")"),
                 std::string(R"(FETCH "login" "user=demo&password=demo&token=x{token|url}")"));

    const std::vector<std::string> log = Run();

    EXPECT_THAT(log, Contains("ERROR: HTTP/1.0 403 Forbidden"));
    EXPECT_EQ(ReadFile(folder / "balance.txt"),
              "Refused: The form has expired or was not sent by this site. Please log in "
              "again.\n");
}

}  // namespace
}  // namespace gleanwork::test
