#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "storage/AgentDefinition.h"
#include "watch/CalendarElapse.h"

namespace gleanwork {

// What the Kubernetes objects of an agent are made of besides the agent.
struct CronJobSettings {
    std::string image;        // the container image of gleanwork-run
    std::string nameSpace;    // empty: the namespace kubectl applies to
    std::string secret;       // the Secret holding the passwords (keys dbpass, webpass)
    std::string outputClaim;  // the PersistentVolumeClaim for output files; empty: an emptyDir
    std::uint64_t maxSourceBytes = 0;  // the runs' --max-source-bytes
    std::string localZone;             // the zone of an expression in local time (LocalZoneName)
};

// The manifests of an agent, or why it has none.
struct CronJobManifest {
    std::string yaml;                // empty when refused
    std::string error;               // why it is refused
    std::vector<std::string> notes;  // what will not work in a pod as it does here
};

// Where the installation folder is in the pod: the output volume, with the
// agent file and AGENTS.INI mounted into it read-only, so that output files
// with relative paths land in the volume.
inline constexpr std::string_view kPodInstallFolder = "/gleanwork";
// The user the image runs as.
inline constexpr int kPodUser = 10001;

// A ConfigMap holding the agent file (its passwords taken out) and an
// AGENTS.INI naming it, and a batch/v1 CronJob that runs the agent on its
// SCHEDULE translated to cron, one run at a time, each ending before the
// next is due, with resources fitted to the runs' source limit and the
// passwords from `settings.secret`. Refused when the agent has no SCHEDULE,
// a bad one or one cron cannot say, or passwords but no Secret.
CronJobManifest MakeCronJobManifest(const AgentDefinition& agent, const CronJobSettings& settings,
                                    CalendarTime now);

}  // namespace gleanwork
