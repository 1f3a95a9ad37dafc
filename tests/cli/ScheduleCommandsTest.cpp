#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "net/LoopbackServer.h"
#include "support/SystemdCalendar.h"
#include "support/TempFolder.h"
#include "watch/ChildProgram.h"

namespace gleanwork::test {
namespace {

using namespace std::chrono_literals;

ProgramOutcome Runner(const std::vector<std::string>& arguments) {
    std::vector<std::string> call{GLEANWORK_RUN_PATH};
    call.insert(call.end(), arguments.begin(), arguments.end());
    return RunProgram(call, 60s);
}

TEST(ScheduleOptions, ListWriteAndRemoveSchedulesAndRefuseBadOnes) {
    const TempInstallFolder folder;
    const ScopedEnvironment config("XDG_CONFIG_HOME", (folder / "config").c_str());
    std::filesystem::create_directory(folder / "Agents");
    WriteFile(folder / "AGENTS.INI", "Price\tlist\nBroken\nPlain\n");
    WriteFile(folder / "Agents/Price\tlist.agt", "URL=x\nSCHEDULE=Mon..Fri 06:30\n");
    WriteFile(folder / "Agents/Broken.agt", "URL=x\nSCHEDULE=25:00\n");
    WriteFile(folder / "Agents/Plain.agt", "URL=x\n");

    const ProgramOutcome list = Runner({"--schedules"});
    EXPECT_EQ(list.exitStatus, 1);
    EXPECT_TRUE(std::regex_match(
        list.output, std::regex("Price\\\\tlist\tMon\\.\\.Fri 06:30\t\\d{4}-\\d\\d-\\d\\dT06:30:00"
                                "[+-]\\d\\d:\\d\\d\nBroken\t25:00\tbad calendar expression: .*\n")))
        << list.output;

    const ProgramOutcome written = Runner({"--schedule", "Price\tlist"});
    EXPECT_EQ(written.exitStatus, 0) << written.errors;
    const std::string units = folder / "config/systemd/user/";
    EXPECT_TRUE(std::filesystem::exists(units + "gleanwork-Price\\x09list.timer"));
    EXPECT_EQ(Runner({"--schedule", "Broken"}).errors,
              "gleanwork-run: " + test::SystemdCalendarRefusal("25:00") + "\n");
    EXPECT_EQ(Runner({"--schedule", "Nobody"}).exitStatus, 2);

    WriteFile(folder / "Agents/Price\tlist.agt", "URL=x\n");
    EXPECT_EQ(Runner({"--schedule", "Price\tlist"}).exitStatus, 0);
    EXPECT_FALSE(std::filesystem::exists(units + "gleanwork-Price\\x09list.timer"));
}

// A run in a container takes its passwords from the environment.
TEST(ScheduleOptions, PasswordsFromTheEnvironmentReplaceTheAgents) {
    const TempInstallFolder folder;
    LoopbackServer server({Reply("HTTP/1.0 200 OK\r\n\r\nx")});
    WriteFile(folder / "a.agt", "URL=" + server.Url() + "\nWEBUSER=u\nWEBPASS=old\n");
    const ScopedEnvironment password("GLEANWORK_WEBPASS", "pw");
    EXPECT_EQ(Runner({"--agent-file", folder / "a.agt"}).exitStatus, 0);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_NE(server.Requests()[0].find("Authorization: Basic dTpwdw==\r\n"), std::string::npos)
        << server.Requests()[0];
}

}  // namespace
}  // namespace gleanwork::test
