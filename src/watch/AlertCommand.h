#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "watch/Alert.h"
#include "watch/AlertRule.h"

namespace gleanwork {

// How long an alert command may run before it is stopped.
inline constexpr std::chrono::milliseconds kAlertCommandLimit = std::chrono::seconds(30);

// The variables that tell an alert command what happened ("NAME=value"
// each): GLEANWORK_AGENT, GLEANWORK_EVENT, GLEANWORK_OUTCOME, GLEANWORK_ERROR,
// GLEANWORK_ADDED, GLEANWORK_REMOVED, and GLEANWORK_DIFF, the path
// `diffPath` of a file holding the diff.
std::vector<std::string> AlertVariables(AlertEvent event, const AlertRun& run,
                                        const std::string& diffPath);

// Runs the user's `command` through `/bin/sh -c` with this process's
// environment and the alert's variables, the diff in a temporary file that
// only this user can read and that is removed when the command ends. The
// command's output goes nowhere near the run's output: its last line tells
// why, when it fails. A command still running after `limit` is stopped with
// every process it started. Delivered when it exits with status 0.
AlertDelivery DeliverByCommand(const std::string& command, AlertEvent event, const AlertRun& run,
                               std::chrono::milliseconds limit = kAlertCommandLimit);

}  // namespace gleanwork
