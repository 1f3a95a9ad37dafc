#pragma once

#include <string>
#include <vector>

#include "storage/AgentDefinition.h"
#include "watch/AlertDispatch.h"

namespace gleanwork {

// Sends a made-up failure alert of `agent` to its NOTIFYCOMMAND and its
// NOTIFYURL, whichever are set, so that the user sees what they receive.
// One line for each: delivered, or why not; one line saying there is
// nowhere to send when neither is set.
std::vector<std::string> SendTestAlert(const AgentDefinition& agent, const AlertChannels& channels);

}  // namespace gleanwork
