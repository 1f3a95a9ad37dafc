#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gleanwork {

// What a host's robots.txt allows one user agent (RFC 9309).
class RobotsRules {
public:
    // The longest Crawl-delay taken: a robots.txt that asks for more gets
    // this, so that one line of a site cannot stall a run for hours.
    static constexpr std::chrono::milliseconds kLongestCrawlDelay{60000};

    // The most of a robots.txt that is read, as the RFC allows.
    static constexpr std::size_t kLongestFile = 500 * 1024;

    // Rules that allow every path and ask for no delay.
    RobotsRules() = default;

    // The rules that `text` (a robots.txt) gives the agent whose User-Agent
    // is `userAgent`: those of every group whose User-agent line names the
    // agent's product token (its user agent up to the first "/" or space,
    // compared without regard to case), else those of every "*" group, else
    // none. Lines are "name: value" with names in any case and "#" comments;
    // Allow and Disallow lines belong to the User-agent lines just before
    // them.
    static RobotsRules Parse(std::string_view text, std::string_view userAgent);

    // The rules for a robots.txt fetch that ended with HTTP `status` and
    // `body` (status 0: the host could not be reached): 2xx, its rules; 3xx
    // left after following redirects and 4xx, no rules (every path allowed,
    // as the RFC says for a missing file); 5xx and unreachable, every path
    // refused (as the RFC says: the site may be overloaded or its rules
    // unknown, and a polite client does not guess).
    static RobotsRules ForReply(int status, std::string_view body, std::string_view userAgent);

    // Whether a request for `pathAndQuery` (the request target, "/" when
    // empty) is allowed: the rule with the longest path that matches it
    // decides, an Allow winning a tie with a Disallow; no matching rule
    // allows it. /robots.txt itself is always allowed.
    bool Allows(std::string_view pathAndQuery) const;

    // The Crawl-delay of the groups that apply (the longest when several
    // give one; seconds, fractions allowed), at most kLongestCrawlDelay.
    std::optional<std::chrono::milliseconds> CrawlDelay() const { return crawlDelay_; }

private:
    struct Rule {
        std::string path;  // normalized (see NormalizeRobotsPath)
        bool allow = false;
    };

    std::vector<Rule> rules_;
    std::optional<std::chrono::milliseconds> crawlDelay_;
};

// The address of the robots.txt that governs `url` (http:// or https://):
// its scheme, the host and port that a request for it goes to (see
// SplitUrl), and "/robots.txt".
std::string RobotsTxtUrl(std::string_view url);

}  // namespace gleanwork
