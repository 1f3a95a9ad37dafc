#pragma once

#include <functional>
#include <map>
#include <string>

#include "net/HttpResult.h"
#include "net/RobotsRules.h"
#include "net/SourceLog.h"

namespace gleanwork {

// The robots.txt rules that one run obeys: each site's (scheme, host and
// port) robots.txt is read once, the first time the run asks for a page
// there, and its rules for the agent's user agent decide every later page.
class RobotsGate {
public:
    // Fetches a robots.txt.
    using Fetcher = std::function<HttpResult(const std::string& robotsUrl)>;

    // `log` (which may be null) gets one line for each robots.txt read.
    RobotsGate(std::string userAgent, SourceLog* log)
        : userAgent_(std::move(userAgent)), log_(log) {}

    // The rules for `url` (http:// or https://), read with `fetch` when the
    // run has none for its site yet: a robots.txt that is missing allows
    // every page, one that cannot be read (no connection, a server error)
    // refuses every page.
    const RobotsRules& RulesFor(const std::string& url, const Fetcher& fetch);

    // The path and query of `url`, which its robots.txt rules judge.
    static std::string PathOf(const std::string& url);
    // Why a page that `url`'s robots.txt disallows is not asked for (the
    // reason of its error line).
    static std::string Refusal(const std::string& url);

private:
    std::string userAgent_;
    SourceLog* log_;
    std::map<std::string, RobotsRules, std::less<>> sites_;  // by robots.txt address
};

}  // namespace gleanwork
