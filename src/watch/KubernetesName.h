#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace gleanwork {

// The longest name of a CronJob: its Jobs' names add 11 characters to it.
inline constexpr std::size_t kLongestCronJobName = 52;

// A name Kubernetes takes for an object of the agent named `agentName`:
// "gleanwork-" and the name in lower case, each run of characters other
// than ASCII letters and digits as one "-", at most `longest` characters.
// When that is not the agent's name exactly (case changed, characters
// replaced, the end cut), it ends in a short digest of the agent's name, so
// that two agents never share one.
std::string KubernetesName(std::string_view agentName, std::size_t longest);

// True for a DNS-1123 label: 1 to 63 lower-case letters, digits and "-",
// beginning and ending with a letter or digit (a namespace's name).
bool IsDnsLabel(std::string_view name);

// True for a DNS-1123 subdomain: up to 253 characters of labels joined by
// "." (a Secret's or a claim's name).
bool IsDnsSubdomain(std::string_view name);

}  // namespace gleanwork
