#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace gleanwork {

// Which agent each alert's desktop notification is about, for the windowed
// program to open that agent's history when the user clicks one: the id
// the notification server gave it and the agent's name, one a line in
// gleanwork-notifications in the session's runtime folder (XDG_RUNTIME_DIR),
// which the session's end clears as it does the notifications. Written by
// every program that shows one; only the newest few hundred are kept.

// Notes that notification `id` is about `agent`. Does nothing without a
// runtime folder; a note that cannot be written is lost quietly.
void RememberNotification(std::uint32_t id, const std::string& agent);

// The agent that notification `id` is about; nothing when none was noted.
std::optional<std::string> AgentOfNotification(std::uint32_t id);

}  // namespace gleanwork
