#pragma once

#include <cstdio>

#include "cli/RunnerOptions.h"
#include "storage/AgentDefinition.h"

namespace gleanwork {

// gleanwork-run --schedule: makes the units of `agent` follow its SCHEDULE,
// says what was done on `out` and what the user should know on `errors`.
// The exit status: 0 done, 1 refused (a bad SCHEDULE, units not written).
int ApplyAgentSchedule(const AgentDefinition& agent, std::FILE* out, std::FILE* errors);

// gleanwork-run --schedules: one line on `out` for each scheduled agent of
// the catalogue: name, SCHEDULE and next run time (local, ISO 8601), or why
// it never runs, separated by tabs. The exit status: 0, or 1 when a listed
// SCHEDULE is bad.
int ListSchedules(std::FILE* out);

// gleanwork-run --cronjob: prints the Kubernetes manifests of `agent` on
// `out`, or why it has none on `errors`, and what will not work in a pod
// as here. The exit status: 0, or 1 when refused.
int PrintCronJob(const RunnerOptions& options, const AgentDefinition& agent, std::FILE* out,
                 std::FILE* errors);

}  // namespace gleanwork
