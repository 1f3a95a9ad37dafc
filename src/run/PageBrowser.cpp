#include "run/PageBrowser.h"

#include <poll.h>

#include "base/ReadyWait.h"
#include "net/FileSource.h"
#include "net/HttpClient.h"
#include "net/ResponseHead.h"
#include "net/UrlSplit.h"
#include "run/PageAddress.h"
#include "run/ProxyChoice.h"
#include "run/RunCharset.h"

namespace gleanwork {

namespace {

constexpr std::string_view kNothingRead = "Unable to read specified URL or file";

// Whether the read of `url` gave nothing to work on: a file that could not be
// read, or a web page without a body, whatever its status.
bool NothingRead(const std::string& url, const SourceResult& read) {
    return IsWebUrl(url) ? read.failure.GavePage() && read.text.empty() : !read.failure.GavePage();
}

// The request for the web page at `url` with the agent's settings (its
// proxy, or the environment's; see RouteFor for `problem`) and the run's
// cookies, a POST of `body` when there is one. The agent's credentials go to
// its own site, whatever page is read.
HttpRequest RequestFor(const AgentDefinition& agent, const std::string& url,
                       std::optional<std::string_view> body, CookieJar& cookies,
                       const HttpLimits& limits, std::string& problem) {
    HttpRequest request;
    request.url = url;
    if (body) {
        request.method = "POST";
        request.body = *body;
    }
    request.userAgent = agent.USERAGENT;
    request.credentials = {agent.WEBUSER, agent.WEBPASS, agent.URL};
    request.route = RouteFor(agent, url, ProcessEnvironment, problem);
    request.cookies = &cookies;
    request.limits = limits;
    request.honourRetryAfter = true;
    return request;
}

SourceResult Stopped() {
    return {{}, {SourceFailureKind::Stopped, ""}};
}

}  // namespace

PageBrowser::PageBrowser(const AgentDefinition& agent, SourceLog* log)
    : agent_(agent),
      log_(log),
      interval_(PoliteInterval::Read(agent.INTERVAL)),
      robots_(agent.USERAGENT, log) {
    current_.address = agent.URL;
}

SourceResult PageBrowser::ReadSource() {
    return Read(agent_.URL);
}

SourceFailure PageBrowser::OpenSource() {
    SourceResult read = ReadPage(agent_.URL);
    current_.text = std::move(read.text);
    current_.serial = reads_;
    return std::move(read.failure);
}

void PageBrowser::Show(std::string text) {
    current_ = Page{std::move(text), agent_.URL, 0, ++reads_};
    kept_.reset();
}

bool PageBrowser::Fetch(std::string_view reference, std::optional<std::string_view> body,
                        std::size_t position) {
    current_.position = position;
    kept_ = std::move(current_);
    current_ = Page{};
    current_.address = kept_->address;
    if (reference.empty()) {
        LogError("FETCH has no address to read");
        return false;
    }
    const std::string url = ResolvePageAddress(kept_->address, reference);
    if (body && !IsWebUrl(url) && !reader_) {
        LogError("FETCH can post a body only to a web address, not to " + url);
        return false;
    }
    SourceResult read = ReadPage(url, body);
    current_.text = std::move(read.text);
    current_.serial = reads_;
    return read.failure.GavePage();
}

std::optional<std::size_t> PageBrowser::Back() {
    if (!kept_) {
        return std::nullopt;
    }
    current_ = std::move(*kept_);
    kept_.reset();
    return current_.position;
}

PagesState PageBrowser::CurrentState() const {
    PagesState state{StateOf(current_), std::nullopt, 0};
    if (kept_) {
        state.kept = StateOf(*kept_);
        state.keptPosition = kept_->position;
    }
    return state;
}

PageState PageBrowser::StateOf(const Page& page) {
    return {page.text.empty() ? 0 : page.serial, page.address};
}

SourceResult PageBrowser::Read(const std::string& url, std::optional<std::string_view> body) {
    ++reads_;
    current_.address = url;
    std::string contentType;
    SourceResult read = reader_         ? reader_(url)
                        : IsWebUrl(url) ? FetchPage(url, body, contentType)
                                        : ReadFileSource(url, limits_.maxSourceBytes, log_);
    if (read.failure.GavePage()) {
        ApplyCharset(read.text, contentType, agent_.CHARSET, log_);
    }
    if (!read.failure.Failed() && NothingRead(url, read)) {
        read.failure = {SourceFailureKind::NothingRead, std::string(kNothingRead)};
    }
    return read;
}

SourceResult PageBrowser::ReadPage(const std::string& url, std::optional<std::string_view> body) {
    SourceResult read = Read(url, body);
    if (NothingRead(url, read)) {
        LogError(kNothingRead);
    }
    return read;
}

SourceResult PageBrowser::FetchPage(const std::string& url, std::optional<std::string_view> body,
                                    std::string& contentType) {
    const std::string host = CookieOriginOf(url).host;
    std::string problem;
    const HttpRequest request = RequestFor(agent_, url, body, cookies_, limits_, problem);
    if (!problem.empty()) {
        return NotAllowed(problem);
    }
    if (agent_.ROBOTS == "1") {
        if (std::optional<SourceResult> refused = ObeyRobots(url, host)) {
            return std::move(*refused);
        }
    }
    if (!WaitPolitely(host)) {
        return Stopped();
    }
    HttpResult fetched = FetchHttp(request, log_);
    const PoliteInterval::Clock::time_point end = PoliteInterval::Clock::now();
    interval_.Record(host, end);
    if (!fetched.redirects.empty()) {
        current_.address = fetched.finalUrl;
        interval_.Record(CookieOriginOf(fetched.finalUrl).host, end);
    }
    contentType = FindHeader("Content-Type", HeaderLines(fetched.head));
    return {std::move(fetched.body), std::move(fetched.failure)};
}

std::optional<SourceResult> PageBrowser::ObeyRobots(const std::string& url,
                                                    const std::string& host) {
    const RobotsRules& rules = robots_.RulesFor(url, [this](const std::string& robotsUrl) {
        std::string unused;
        return FetchHttp(RequestFor(agent_, robotsUrl, {}, cookies_, limits_, unused), nullptr);
    });
    if (limits_.Stopped()) {
        return Stopped();
    }
    if (const auto delay = rules.CrawlDelay()) {
        interval_.KeepAtLeast(host, *delay);
    }
    if (!rules.Allows(RobotsGate::PathOf(url))) {
        return NotAllowed(RobotsGate::Refusal(url));
    }
    return std::nullopt;
}

bool PageBrowser::WaitPolitely(const std::string& host) {
    const auto wait = interval_.WaitBefore(host, PoliteInterval::Clock::now());
    if (wait <= PoliteInterval::Clock::duration::zero()) {
        return true;
    }
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
    LogLine("Waiting " + std::to_string(milliseconds) + " ms before contacting host: " + host);
    const auto end = PoliteInterval::Clock::now() + wait;
    return WaitReady(-1, POLLIN, end, limits_.stop) == WaitResult::TimedOut;
}

SourceResult PageBrowser::NotAllowed(const std::string& reason) {
    LogError(reason);
    return {{}, {SourceFailureKind::NotAllowed, reason}};
}

void PageBrowser::LogLine(const std::string& line) {
    if (log_ != nullptr) {
        log_->LogLine(line);
    }
}

void PageBrowser::LogError(std::string_view reason) {
    if (log_ != nullptr) {
        log_->LogError(reason);
    }
}

}  // namespace gleanwork
