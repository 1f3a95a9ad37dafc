#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <filesystem>

#include "support/SystemdCalendar.h"
#include "support/TempFolder.h"
#include "watch/ChildProgram.h"
#include "watch/UnitName.h"
#include "watch/UserTimers.h"

namespace gleanwork::test {
namespace {

using namespace std::chrono_literals;

// Agent names that systemd-escape changes, each in its own way.
constexpr std::array<const char*, 14> kOddNames{"Price list",   ".hidden",
                                                "a/b",          "a-b",
                                                "--x",          "caf\xc3\xa9 \xc3\xbc",
                                                "x.y",          "tab\tx",
                                                "back\\slash",  "\xe6\x97\xa5\xe6\x9c\xac",
                                                "a:b_c",        "%h$x \"q\"",
                                                "Latin-1 \xe9", "-"};

bool SystemdToolsPresent() {
    return RunProgram({"systemd-escape", "x"}, 10s).Succeeded() &&
           RunProgram({"systemd-analyze", "--version"}, 10s).Succeeded();
}

TEST(SystemdEscape, EscapesNamesAsSystemdEscapeDoes) {
    if (!SystemdToolsPresent()) {
        GTEST_SKIP() << "systemd-escape is not installed";
    }
    for (const char* name : kOddNames) {
        const ProgramOutcome escaped = RunProgram({"systemd-escape", "--", name}, 10s);
        EXPECT_EQ(SystemdEscape(name) + "\n", escaped.output) << name;
    }
    const std::string longName(300, 'a');
    EXPECT_EQ(AgentUnitName(longName, "service").size(), 255u);
    EXPECT_NE(AgentUnitName(longName, "timer"), AgentUnitName(longName + "b", "timer"));
}

// A folder of user units and the setup that writes into it.
struct UnitFolder {
    TempFolder folder;
    ScopedEnvironment config{"XDG_CONFIG_HOME", folder.Path().c_str()};
    // systemd-analyze verify --user needs a runtime folder, as a session has.
    ScopedEnvironment runtime{"XDG_RUNTIME_DIR", folder.Path().c_str()};
    TimerSetup setup{GLEANWORK_RUN_PATH, folder / "install dir", folder / "systemd/user"};

    bool Has(const std::string& unit) const {
        return std::filesystem::exists(setup.unitFolder + "/" + unit);
    }
};

AgentDefinition Scheduled(const std::string& name, const std::string& schedule) {
    AgentDefinition agent;
    agent.name = name;
    agent.SCHEDULE = schedule;
    return agent;
}

CalendarTime Now() {
    return std::chrono::time_point_cast<std::chrono::microseconds>(
        std::chrono::system_clock::now());
}

// The argument that has systemd-analyze verify read `unit`: its path, or,
// since a ":" there would part a path from an alias, a copy of it without
// one and its name as the alias.
std::string VerifyArgument(const std::string& unit, std::size_t number) {
    const std::filesystem::path path(unit);
    if (path.filename().string().find(':') == std::string::npos) {
        return unit;
    }
    const std::string copy = path.parent_path().parent_path() / ("colon" + std::to_string(number));
    std::filesystem::copy_file(path, copy);
    return copy + ":" + path.filename().string();
}

TEST(UserTimers, WritesUnitsThatSystemdAcceptsAndRemovesThem) {
    if (!SystemdToolsPresent()) {
        GTEST_SKIP() << "systemd is not installed";
    }
    UnitFolder units;
    std::vector<std::string> verify{"systemd-analyze", "verify", "--user", "--man=no"};
    for (const char* name : kOddNames) {
        const ScheduleReport report =
            UpdateAgentSchedule(Scheduled(name, "Mon..Fri 06:30"), units.setup, Now());
        ASSERT_TRUE(report.done) << name << ": " << report.error;
        for (const char* kind : {"service", "timer"}) {
            verify.push_back(VerifyArgument(
                units.setup.unitFolder + "/" + AgentUnitName(name, kind), verify.size()));
        }
    }
    const ProgramOutcome verified = RunProgram(verify, 60s);
    EXPECT_EQ(verified.exitStatus, 0) << verified.errors;
    EXPECT_EQ(verified.errors, "");
    const std::string service =
        ReadFile(units.setup.unitFolder + "/gleanwork-Price\\x20list.service");
    EXPECT_NE(service.find("\nExecStart=\"" GLEANWORK_RUN_PATH
                           "\" --max-seconds 86039 -- \"Price list\"\n"),
              std::string::npos)
        << service;
    EXPECT_NE(service.find("\nTimeoutStartSec=86099\n"), std::string::npos) << service;
    // "%" and "$" would be replaced by systemd: they are doubled.
    EXPECT_NE(ReadFile(units.setup.unitFolder + "/gleanwork-\\x25h\\x24x\\x20\\x22q\\x22.service")
                  .find(" -- \"%%h$$x \\\"q\\\"\"\n"),
              std::string::npos);

    // Here no user service manager answers: the note says so, and the timer
    // is enabled for the next session.
    const ScheduleReport report =
        UpdateAgentSchedule(Scheduled("a-b", "*:0/15"), units.setup, Now());
    ASSERT_TRUE(report.done);
    EXPECT_NE(report.notes.at(0).find("no user service manager"), std::string::npos)
        << report.notes.at(0);
    EXPECT_TRUE(units.Has("timers.target.wants/gleanwork-a\\x2db.timer"));
    EXPECT_NE(
        ReadFile(units.setup.unitFolder + "/gleanwork-a\\x2db.service").find("--max-seconds 794 "),
        std::string::npos);

    // Renamed and removed: the units go, timer link and all.
    ASSERT_TRUE(RenameAgentSchedule("a-b", Scheduled("c", "hourly"), units.setup, Now()).done);
    EXPECT_FALSE(units.Has("gleanwork-a\\x2db.timer") || units.Has("gleanwork-a\\x2db.service") ||
                 units.Has("timers.target.wants/gleanwork-a\\x2db.timer"));
    EXPECT_TRUE(units.Has("gleanwork-c.timer"));
    ASSERT_TRUE(UpdateAgentSchedule(Scheduled("c", ""), units.setup, Now()).done);
    EXPECT_FALSE(units.Has("gleanwork-c.timer") || units.Has("gleanwork-c.service"));
}

TEST(UserTimers, RefusesABadExpressionWithSystemdsReasonBeforeWritingAnything) {
    UnitFolder units;
    for (const char* bad : {"Mon..Fri 25:00", "*-02-30", "*:*:*"}) {
        const ScheduleReport report = UpdateAgentSchedule(Scheduled("x", bad), units.setup, Now());
        EXPECT_FALSE(report.done) << bad;
        EXPECT_FALSE(report.error.empty());
        EXPECT_FALSE(units.Has("gleanwork-x.service") || units.Has("gleanwork-x.timer")) << bad;
    }
    EXPECT_EQ(UpdateAgentSchedule(Scheduled("x", "25:00"), units.setup, Now()).error,
              test::SystemdCalendarRefusal("25:00"));
}

TEST(UserTimers, HasAnAnsweringManagerReloadEnableAndStartTheTimer) {
    UnitFolder units;
    const std::string bin = units.folder / "bin";
    std::filesystem::create_directory(bin);
    WriteFile(bin + "/systemctl", "#!/bin/sh\necho \"$*\" >>'" + units.folder / "calls" + "'\n");
    ::chmod((bin + "/systemctl").c_str(), 0755);
    const ScopedEnvironment path("PATH", (bin + ":" + std::getenv("PATH")).c_str());
    ASSERT_TRUE(UpdateAgentSchedule(Scheduled("x", "daily"), units.setup, Now()).done);
    ASSERT_TRUE(UpdateAgentSchedule(Scheduled("x", ""), units.setup, Now()).done);
    EXPECT_EQ(ReadFile(units.folder / "calls"),
              "--user daemon-reload\n--user enable -- gleanwork-x.timer\n"
              "--user restart -- gleanwork-x.timer\n--user daemon-reload\n"
              "--user disable --now -- gleanwork-x.timer\n--user daemon-reload\n");
}

}  // namespace
}  // namespace gleanwork::test
