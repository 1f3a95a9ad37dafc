#include "net/RobotsRules.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "base/TextScan.h"
#include "net/RobotsPattern.h"
#include "net/UrlSplit.h"

namespace gleanwork {

namespace {

// The product token of a user agent ("Gleanwork/1.2 (...)" gives
// "gleanwork"), in lower case.
std::string ProductToken(std::string_view userAgent) {
    userAgent = TrimWhitespace(userAgent);
    return LowerCase(userAgent.substr(0, userAgent.find_first_of("/ \t")));
}

// Seconds as a Crawl-delay gives them; none for what is no number of them.
std::optional<std::chrono::milliseconds> ReadDelay(std::string_view value) {
    double seconds = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
    if (error != std::errc() || end != value.data() + value.size() || !std::isfinite(seconds) ||
        seconds < 0) {
        return std::nullopt;
    }
    const double bound = static_cast<double>(RobotsRules::kLongestCrawlDelay.count());
    return std::chrono::milliseconds(std::llround(std::min(seconds * 1000, bound)));
}

// The rules gathered for one kind of group: those naming the agent, or "*".
struct GroupRules {
    bool found = false;
    std::vector<std::pair<std::string, bool>> rules;
    std::optional<std::chrono::milliseconds> crawlDelay;

    void Add(std::string_view name, std::string_view value) {
        if (name == "crawl-delay") {
            const auto delay = ReadDelay(value);
            if (delay && (!crawlDelay || *delay > *crawlDelay)) {
                crawlDelay = delay;
            }
        } else if (!value.empty()) {
            rules.emplace_back(NormalizeRobotsPath(value), name == "allow");
        }
    }
};

// The current group: which kinds of group it counts for.
struct GroupState {
    bool readingAgents = false;  // the last line that counted was a User-agent line
    bool forAgent = false;
    bool forAll = false;
};

}  // namespace

RobotsRules RobotsRules::Parse(std::string_view text, std::string_view userAgent) {
    const std::string token = ProductToken(userAgent);
    text = text.substr(0, std::min(text.size(), kLongestFile));
    GroupRules agentRules;
    GroupRules starRules;
    GroupState group;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        line = line.substr(0, line.find('#'));
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            continue;
        }
        const std::string name = LowerCase(TrimWhitespace(line.substr(0, colon)));
        const std::string_view value = TrimWhitespace(line.substr(colon + 1));
        if (name == "user-agent") {
            if (!group.readingAgents) {
                group = {true, false, false};
            }
            const std::string named = ProductToken(value);
            group.forAll = group.forAll || named == "*";
            group.forAgent = group.forAgent || (!token.empty() && named == token);
            agentRules.found = agentRules.found || group.forAgent;
        } else if (name == "allow" || name == "disallow" || name == "crawl-delay") {
            group.readingAgents = false;
            if (group.forAgent) {
                agentRules.Add(name, value);
            }
            if (group.forAll) {
                starRules.Add(name, value);
            }
        }
    }
    const GroupRules& chosen = agentRules.found ? agentRules : starRules;
    RobotsRules result;
    for (const auto& [path, allow] : chosen.rules) {
        result.rules_.push_back({path, allow});
    }
    result.crawlDelay_ = chosen.crawlDelay;
    return result;
}

RobotsRules RobotsRules::ForReply(int status, std::string_view body, std::string_view userAgent) {
    if (status >= 200 && status <= 299) {
        return Parse(body, userAgent);
    }
    RobotsRules result;
    if (status < 300 || status > 499) {
        result.rules_.push_back({"/", false});
    }
    return result;
}

bool RobotsRules::Allows(std::string_view pathAndQuery) const {
    const std::string path = NormalizeRobotsPath(pathAndQuery.empty() ? "/" : pathAndQuery);
    if (path == "/robots.txt") {
        return true;
    }
    const Rule* decisive = nullptr;
    for (const Rule& rule : rules_) {
        if (!RobotsPatternMatches(rule.path, path)) {
            continue;
        }
        if (decisive == nullptr || rule.path.size() > decisive->path.size() ||
            (rule.path.size() == decisive->path.size() && rule.allow)) {
            decisive = &rule;
        }
    }
    return decisive == nullptr || decisive->allow;
}

std::string RobotsTxtUrl(std::string_view url) {
    std::string host;
    int port = SchemePort(url);
    SplitUrl(url, host, port);
    return std::string(IsHttpsUrl(url) ? "https://" : "http://")
        .append(HostField(host, port, SchemePort(url)))
        .append("/robots.txt");
}

}  // namespace gleanwork
