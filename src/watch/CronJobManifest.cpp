#include "watch/CronJobManifest.h"

#include <algorithm>

#include "base/TextScan.h"
#include "net/Base64.h"
#include "storage/AgentFile.h"
#include "watch/CalendarCheck.h"
#include "watch/CronSchedule.h"
#include "watch/KubernetesName.h"
#include "watch/RunSlot.h"
#include "watch/YamlText.h"

namespace gleanwork {

namespace {

using std::chrono::seconds;

constexpr std::uint64_t kMebibyte = 1024 * 1024;
constexpr std::string_view kAgentKey = "agent.agt";
constexpr std::string_view kContainer = "gleanwork-run";
// A failed run is tried this many times more within its slot.
constexpr int kRetries = 2;

// How late a Job may still start: a tenth of the slot, from 10 s (the
// controller checks about every 10 s) to 5 minutes.
seconds StartingDeadline(seconds slot) {
    return std::clamp<seconds>(slot / 10, seconds(10), seconds(300));
}

// Memory in mebibytes: a run holds its source, a copy or two of parts of it,
// and the program. Most take a small part of a page, so the request is far
// below the limit.
std::uint64_t MemoryLimit(std::uint64_t sourceBytes) {
    return 3 * (sourceBytes / kMebibyte) + 64;
}
std::uint64_t MemoryRequest(std::uint64_t sourceBytes) {
    return sourceBytes / kMebibyte / 16 + 64;
}

// `block` (lines ended by line feeds) with `spaces` more spaces before each
// line that is not empty.
std::string Indented(const std::string& block, std::size_t spaces) {
    std::string indented;
    for (std::size_t at = 0; at < block.size();) {
        const std::size_t end = block.find('\n', at);
        const std::size_t next = end == std::string::npos ? block.size() : end + 1;
        if (next > at + 1) {
            indented.append(spaces, ' ');
        }
        indented.append(block, at, next - at);
        at = next;
    }
    return indented;
}

// What the two objects of an agent are made of.
struct ManifestParts {
    std::string name;  // of both objects
    CronSchedule cron;
    RunSlotLimits limits;
    seconds startingDeadline{0};
};

std::string LabelsText(const ManifestParts& parts) {
    return "labels:\n"
           "  app.kubernetes.io/name: gleanwork\n"
           "  app.kubernetes.io/instance: " +
           parts.name +
           "\n"
           "  app.kubernetes.io/managed-by: gleanwork-run\n";
}

std::string MetadataText(const AgentDefinition& agent, const ManifestParts& parts,
                         const CronJobSettings& settings) {
    return "metadata:\n  name: " + parts.name + "\n" +
           (settings.nameSpace.empty() ? "" : "  namespace: " + settings.nameSpace + "\n") +
           Indented(LabelsText(parts), 2) +
           "  annotations:\n"
           "    gleanwork.github.io/agent: " +
           YamlQuoted(agent.name) + "\n";
}

// The ConfigMap's entries: the agent file without its passwords (as text
// when it is UTF-8, else in Base64) and AGENTS.INI naming it.
std::string ConfigDataText(const AgentDefinition& agent) {
    AgentDefinition shared = agent;
    shared.DBPASS.clear();
    shared.WEBPASS.clear();
    const std::string file = FormatAgentFile(shared);
    const std::string entry = std::string(kAgentKey) + ": ";
    const std::string names = "  AGENTS.INI: " + YamlQuoted(agent.name + "\n") + "\n";
    if (!IsUtf8(file)) {
        return "data:\n" + names + "binaryData:\n  " + entry + EncodeBase64(file) + "\n";
    }
    return "data:\n" + names + "  " + entry + YamlBlock(file, 2) + "\n";
}

std::string PasswordText(const std::string& variable, const std::string& key,
                         const CronJobSettings& settings) {
    return "- name: " + variable +
           "\n"
           "  valueFrom:\n"
           "    secretKeyRef:\n"
           "      name: " +
           settings.secret + "\n      key: " + key + "\n      optional: true\n";
}

std::string ContainerText(const AgentDefinition& agent, const ManifestParts& parts,
                          const CronJobSettings& settings) {
    std::string environment =
        "- name: GLEANWORK_INSTALLDIR\n  value: " + std::string(kPodInstallFolder) + "\n";
    if (!settings.secret.empty()) {
        environment += PasswordText("GLEANWORK_DBPASS", "dbpass", settings) +
                       PasswordText("GLEANWORK_WEBPASS", "webpass", settings);
    }
    const std::string folder(kPodInstallFolder);
    return "- name: " + std::string(kContainer) + "\n  image: " + YamlQuoted(settings.image) +
           "\n  args: [\"--max-seconds\", \"" + SecondsText(parts.limits.maxRun) +
           "\", \"--max-source-bytes\", \"" + std::to_string(settings.maxSourceBytes) +
           "\", \"--\", " + YamlQuoted(agent.name) + "]\n  env:\n" + Indented(environment, 4) +
           "  resources:\n"
           "    requests:\n"
           "      cpu: 100m\n"
           "      memory: " +
           std::to_string(MemoryRequest(settings.maxSourceBytes)) +
           "Mi\n"
           "    limits:\n"
           "      cpu: \"1\"\n"
           "      memory: " +
           std::to_string(MemoryLimit(settings.maxSourceBytes)) +
           "Mi\n"
           "  securityContext:\n"
           "    allowPrivilegeEscalation: false\n"
           "    readOnlyRootFilesystem: true\n"
           "    capabilities:\n"
           "      drop: [ALL]\n"
           "  volumeMounts:\n"
           "    - name: output\n"
           "      mountPath: " +
           folder +
           "\n"
           "    - name: agent\n"
           "      mountPath: " +
           folder +
           "/AGENTS.INI\n"
           "      subPath: AGENTS.INI\n"
           "      readOnly: true\n"
           "    - name: agent\n"
           "      mountPath: " +
           folder +
           "/Agents\n"
           "      subPath: Agents\n"
           "      readOnly: true\n"
           "    - name: tmp\n"
           "      mountPath: /tmp\n";
}

std::string VolumesText(const AgentDefinition& agent, const ManifestParts& parts,
                        const CronJobSettings& settings) {
    const std::string output =
        settings.outputClaim.empty()
            ? "  emptyDir: {}\n"
            : "  persistentVolumeClaim:\n    claimName: " + settings.outputClaim + "\n";
    return "- name: output\n" + output +
           "- name: agent\n"
           "  configMap:\n"
           "    name: " +
           parts.name +
           "\n"
           "    defaultMode: 292  # 0444: read-only\n"
           "    items:\n"
           "      - key: AGENTS.INI\n"
           "        path: AGENTS.INI\n"
           "      - key: " +
           std::string(kAgentKey) +
           "\n        path: " + YamlQuoted(AgentFilePath("Agents", agent.name)) +
           "\n"
           "- name: tmp\n"
           "  emptyDir: {}\n";
}

std::string PodSpecText(const AgentDefinition& agent, const ManifestParts& parts,
                        const CronJobSettings& settings) {
    const std::string user = std::to_string(kPodUser);
    return "restartPolicy: Never\n"
           "securityContext:\n"
           "  runAsNonRoot: true\n"
           "  runAsUser: " +
           user + "\n  runAsGroup: " + user + "\n  fsGroup: " + user +
           "\n"
           "  seccompProfile:\n"
           "    type: RuntimeDefault\n"
           "containers:\n" +
           Indented(ContainerText(agent, parts, settings), 2) + "volumes:\n" +
           Indented(VolumesText(agent, parts, settings), 2);
}

std::string JobSpecText(const AgentDefinition& agent, const ManifestParts& parts,
                        const CronJobSettings& settings) {
    return "backoffLimit: " + std::to_string(kRetries) +
           "\nactiveDeadlineSeconds: " + std::to_string(parts.limits.hardStop.count()) +
           "\n"
           "podFailurePolicy:\n"
           "  rules:\n"
           "    - action: FailJob  # a usage error or an unknown agent: no retry\n"
           "      onExitCodes:\n"
           "        containerName: " +
           std::string(kContainer) +
           "\n"
           "        operator: In\n"
           "        values: [2]\n"
           "template:\n"
           "  metadata:\n" +
           Indented(LabelsText(parts), 4) + "  spec:\n" +
           Indented(PodSpecText(agent, parts, settings), 4);
}

std::string CronJobText(const AgentDefinition& agent, const ManifestParts& parts,
                        const CronJobSettings& settings) {
    return "apiVersion: batch/v1\nkind: CronJob\n" + MetadataText(agent, parts, settings) +
           "spec:\n  schedule: " + YamlQuoted(parts.cron.fields) +
           "\n  timeZone: " + YamlQuoted(parts.cron.timeZone) +
           "\n"
           "  concurrencyPolicy: Forbid\n"
           "  startingDeadlineSeconds: " +
           std::to_string(parts.startingDeadline.count()) +
           "\n"
           "  successfulJobsHistoryLimit: 3\n"
           "  failedJobsHistoryLimit: 3\n"
           "  jobTemplate:\n"
           "    metadata:\n" +
           Indented(LabelsText(parts), 6) + "    spec:\n" +
           Indented(JobSpecText(agent, parts, settings), 6);
}

// What works here but not in the pod.
std::vector<std::string> PodNotes(const AgentDefinition& agent, const CronJobSettings& settings) {
    std::vector<std::string> notes;
    const std::string url(TrimWhitespace(agent.URL));
    if (!url.empty() && !url.starts_with("http://") && !url.starts_with("https://")) {
        notes.push_back("the agent reads the file '" + url +
                        "', which the pod has only if it is put in its output volume (" +
                        std::string(kPodInstallFolder) + "); an http(s) address works anywhere");
    }
    if (agent.FILE.starts_with('/')) {
        notes.push_back("the agent writes '" + agent.FILE + "', outside the output volume: in " +
                        "the pod only relative output paths can be written");
    } else if (!agent.FILE.empty() && settings.outputClaim.empty()) {
        notes.push_back(
            "the output files go with the run's pod (an emptyDir): name a "
            "PersistentVolumeClaim with --output-claim to keep them");
    }
    return notes;
}

CronJobManifest Refuse(std::string error) {
    CronJobManifest manifest;
    manifest.error = std::move(error);
    return manifest;
}

}  // namespace

CronJobManifest MakeCronJobManifest(const AgentDefinition& agent, const CronJobSettings& settings,
                                    CalendarTime now) {
    if (TrimWhitespace(agent.SCHEDULE).empty()) {
        return Refuse("the agent '" + agent.name + "' has no SCHEDULE to run on");
    }
    if (!IsUtf8(agent.name)) {
        return Refuse("the agent's name is not UTF-8 text, which Kubernetes needs");
    }
    if ((!agent.DBPASS.empty() || !agent.WEBPASS.empty()) && settings.secret.empty()) {
        return Refuse(
            "the agent holds a password, which goes into no ConfigMap: name the Secret that "
            "holds it (keys dbpass and webpass) with --secret");
    }
    const CalendarVerdict verdict = CheckCalendarExpression(agent.SCHEDULE, now);
    if (!verdict.expression) {
        return Refuse(verdict.reason);
    }
    ManifestParts parts;
    const CronTranslation cron = TranslateToCron(*verdict.expression, settings.localZone);
    if (!cron.schedule) {
        return Refuse("the schedule '" + agent.SCHEDULE +
                      "' has no cron equivalent: " + cron.reason);
    }
    parts.cron = *cron.schedule;
    const std::optional<seconds> slot = ShortestSlot(*verdict.expression, now);
    parts.startingDeadline = StartingDeadline(slot.value_or(kLongestSlot));
    const RunSlotFit fit = FitRunSlot(slot.value_or(kLongestSlot), parts.startingDeadline);
    if (!fit.limits) {
        return Refuse("the schedule '" + agent.SCHEDULE + "' cannot run the agent: " + fit.reason);
    }
    parts.limits = *fit.limits;
    parts.name = KubernetesName(agent.name, kLongestCronJobName);
    CronJobManifest manifest;
    manifest.notes = PodNotes(agent, settings);
    manifest.yaml = "# The Gleanwork agent " + YamlQuoted(agent.name) + " on its schedule " +
                    YamlQuoted(agent.SCHEDULE) + ",\n# in cron " + YamlQuoted(parts.cron.fields) +
                    " in " + parts.cron.timeZone +
                    ". Written by gleanwork-run --cronjob for kubectl apply -f.\n"
                    "apiVersion: v1\nkind: ConfigMap\n" +
                    MetadataText(agent, parts, settings) + ConfigDataText(agent) + "---\n" +
                    CronJobText(agent, parts, settings);
    return manifest;
}

}  // namespace gleanwork
