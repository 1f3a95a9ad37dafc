#include "watch/WatchSettings.h"

#include <charconv>

namespace gleanwork {

namespace {

void ReadKeepRuns(const std::string& text, WatchSettings& settings) {
    if (text.empty()) {
        return;
    }
    std::size_t count = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (error == std::errc() && end == text.data() + text.size() && count >= 1 &&
        count <= kMostKeepRuns) {
        settings.keepRuns = count;
        return;
    }
    settings.problems.push_back("KEEPRUNS \"" + text + "\" is no whole number from 1 to " +
                                std::to_string(kMostKeepRuns) + ": the last " +
                                std::to_string(kDefaultKeepRuns) + " runs are kept");
}

}  // namespace

WatchSettings ReadWatchSettings(const AgentDefinition& agent) {
    WatchSettings settings;
    ReadKeepRuns(agent.KEEPRUNS, settings);
    if (!agent.IGNORELINES.empty()) {
        std::string error;
        settings.ignoredLines = LinePattern::Compile(agent.IGNORELINES, error);
        if (!settings.ignoredLines) {
            settings.problems.push_back("IGNORELINES \"" + agent.IGNORELINES +
                                        "\" is no regular expression (" + error +
                                        "): no line is ignored");
        }
    }
    settings.ignoreOrder = agent.IGNOREORDER == "1";
    if (!agent.IGNOREORDER.empty() && agent.IGNOREORDER != "0" && !settings.ignoreOrder) {
        settings.problems.push_back("IGNOREORDER \"" + agent.IGNOREORDER +
                                    "\" is neither 1 nor 0: the order of lines counts");
    }
    return settings;
}

}  // namespace gleanwork
