#include "run/RobotsGate.h"

#include "net/UrlSplit.h"

namespace gleanwork {

namespace {

// The site of `url` as its robots.txt names it: the host, and the port when
// it is not the scheme's.
std::string SiteOf(const std::string& url) {
    std::string host;
    int port = SchemePort(url);
    SplitUrl(url, host, port);
    return HostField(host, port, SchemePort(url));
}

// What the log says of a robots.txt read with `reply`, whose rules are
// `rules`.
std::string ReadNote(const HttpResult& reply, const RobotsRules& rules) {
    const int status = reply.statusCode;
    std::string note;
    if (status >= 200 && status <= 299) {
        note = "read";
    } else if (status >= 300 && status <= 499) {
        note = "none (" + reply.statusLine + "): every page allowed";
    } else {
        note = "unavailable (" +
               (reply.failure.reason.empty() ? reply.statusLine : reply.failure.reason) +
               "): every page refused";
    }
    if (const auto delay = rules.CrawlDelay()) {
        note += "; Crawl-delay " + std::to_string(delay->count()) + " ms";
    }
    return note;
}

}  // namespace

const RobotsRules& RobotsGate::RulesFor(const std::string& url, const Fetcher& fetch) {
    const std::string robotsUrl = RobotsTxtUrl(url);
    if (const auto known = sites_.find(robotsUrl); known != sites_.end()) {
        return known->second;
    }
    const HttpResult reply = fetch(robotsUrl);
    const int status = reply.failure.GavePage() ? reply.statusCode : 0;
    RobotsRules rules = RobotsRules::ForReply(status, reply.body, userAgent_);
    if (log_ != nullptr) {
        log_->LogLine("robots.txt of " + SiteOf(url) + ": " + ReadNote(reply, rules));
    }
    return sites_.emplace(robotsUrl, std::move(rules)).first->second;
}

std::string RobotsGate::PathOf(const std::string& url) {
    std::string host;
    int port = SchemePort(url);
    return SplitUrl(url, host, port);
}

std::string RobotsGate::Refusal(const std::string& url) {
    return "robots.txt of " + SiteOf(url) + " disallows " + PathOf(url);
}

}  // namespace gleanwork
