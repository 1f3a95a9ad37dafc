#pragma once

#include <optional>
#include <string>

#include "watch/ScheduleUnits.h"

namespace gleanwork {

// The gleanwork-run that schedules run: this program when it is
// gleanwork-run, else the gleanwork-run beside it (the windowed program is
// installed with it), else the one PATH finds. Empty when there is none.
std::string InstalledRunnerPath();

// The folder of the user's own units: $XDG_CONFIG_HOME/systemd/user, or
// ~/.config/systemd/user when XDG_CONFIG_HOME is unset or empty. Empty when
// neither can be formed.
std::string UserUnitFolder();

// What this user's schedules run and where their units go: the runner
// InstalledRunnerPath finds, the installation folder as an absolute path,
// and UserUnitFolder. Nothing, with `reason` set, when one of them is
// unknown.
std::optional<TimerSetup> MakeUserTimerSetup(std::string& reason);

}  // namespace gleanwork
