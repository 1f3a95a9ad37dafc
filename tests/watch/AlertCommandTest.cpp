#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/CheckedTable.h"
#include "support/TempFolder.h"
#include "watch/AlertCommand.h"

namespace gleanwork::test {
namespace {

const AlertRun kRun{"Prices \"EU\" $(touch pwned) `touch pwned` 'x'",
                    "failed",
                    "ERROR: Socket read failed with code 104",
                    3,
                    1,
                    "--- before\n+++ after\n-old line\n+new line\n"};

// The lines of `text` that begin with `prefix`, sorted.
std::set<std::string> LinesStartingWith(const std::string& text, const std::string& prefix) {
    std::istringstream in(text);
    std::set<std::string> found;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(prefix)) {
            found.insert(line);
        }
    }
    return found;
}

TEST(AlertCommandTest, GivesTheAlertThroughTheEnvironmentAndAPrivateDiffFile) {
    TempFolder folder;
    const ScopedEnvironment stale("GLEANWORK_EVENT", "stale");
    const ScopedEnvironment install("GLEANWORK_INSTALLDIR", "/srv/agents");
    WriteFile(folder / "record.sh",
              "#!/bin/sh\ncd \"$(dirname \"$0\")\"\nenv > env\ncat \"$GLEANWORK_DIFF\" > diff\n"
              "stat -c %a \"$GLEANWORK_DIFF\" > mode\necho to the output\n");
    std::filesystem::permissions(folder / "record.sh", std::filesystem::perms::owner_all);

    const AlertDelivery delivery =
        DeliverByCommand("'" + folder / "record.sh" + "'", AlertEvent::kFailure, kRun);

    EXPECT_TRUE(delivery.delivered) << delivery.reason;
    const std::string environment = ReadFile(folder / "env");
    const std::set<std::string> diffVariable = LinesStartingWith(environment, "GLEANWORK_DIFF=/");
    ASSERT_EQ(diffVariable.size(), 1U) << environment;
    EXPECT_EQ(
        LinesStartingWith(environment, "GLEANWORK_"),
        (std::set<std::string>{"GLEANWORK_INSTALLDIR=/srv/agents", "GLEANWORK_AGENT=" + kRun.agent,
                               "GLEANWORK_EVENT=failure", "GLEANWORK_OUTCOME=failed",
                               "GLEANWORK_ERROR=" + kRun.firstError, "GLEANWORK_ADDED=3",
                               "GLEANWORK_REMOVED=1", *diffVariable.begin()}));
    EXPECT_EQ(ReadFile(folder / "diff"), kRun.diff);
    EXPECT_EQ(ReadFile(folder / "mode"), "600\n");
    EXPECT_FALSE(std::filesystem::exists(diffVariable.begin()->substr(15)));
    EXPECT_FALSE(std::filesystem::exists(folder / "pwned"));
}

TEST(AlertCommandTest, TellsWhyACommandDeliveredNothing) {
    for (const auto& row :
         CheckedTable(GLEANWORK_TEST_DATA "/watch/alert-commands.txt", "reasons", 3)) {
        const AlertDelivery delivery = DeliverByCommand(
            row.at(1), AlertEvent::kChange, kRun, std::chrono::milliseconds(std::stoi(row.at(0))));
        EXPECT_EQ(delivery.reason, row.at(2)) << row.at(1);
        EXPECT_EQ(delivery.delivered, row.at(2).empty()) << row.at(1);
    }
}

// The state letter of process `pid` in /proc ("Z" for a zombie); empty when
// it is gone.
std::string ProcessState(const std::string& pid) {
    const std::string stat = ReadFile("/proc/" + pid + "/stat");
    const std::size_t end = stat.rfind(')');
    return end == std::string::npos ? "" : stat.substr(end + 2, 1);
}

TEST(AlertCommandTest, StopsEveryProcessOfACommandPastItsLimit) {
    TempFolder folder;
    const AlertDelivery delivery =
        DeliverByCommand("sleep 60 & echo $! > '" + folder / "pid" + "'; wait", AlertEvent::kChange,
                         kRun, std::chrono::milliseconds(300));
    EXPECT_FALSE(delivery.delivered);
    const std::string pid = ReadFile(folder / "pid");
    ASSERT_FALSE(pid.empty());
    // A killed process leaves the run queue a moment after the signal.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::string state = ProcessState(pid.substr(0, pid.size() - 1));
    while (!state.empty() && state != "Z" && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
        state = ProcessState(pid.substr(0, pid.size() - 1));
    }
    EXPECT_TRUE(state.empty() || state == "Z") << state;
}

}  // namespace
}  // namespace gleanwork::test
