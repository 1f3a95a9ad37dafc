#include "run/PageBrowser.h"

#include <poll.h>

#include "base/ReadyWait.h"
#include "net/FileSource.h"
#include "net/HttpClient.h"
#include "net/UrlSplit.h"
#include "run/PageAddress.h"

namespace gleanwork {

namespace {

constexpr std::string_view kNothingRead = "Unable to read specified URL or file";

// Whether the read of `url` gave nothing to work on: a file that could not be
// read, or a web page without a body, whatever its status.
bool NothingRead(const std::string& url, const SourceResult& read) {
    return IsWebUrl(url) ? read.failure.GavePage() && read.text.empty() : !read.failure.GavePage();
}

// The request for the web page at `url` with the agent's settings and the
// run's cookies. The agent's credentials go to its own site, whatever page
// is read.
HttpRequest RequestFor(const AgentDefinition& agent, const std::string& url, CookieJar& cookies,
                       const HttpLimits& limits) {
    HttpRequest request;
    request.url = url;
    request.userAgent = agent.USERAGENT;
    request.credentials = {agent.WEBUSER, agent.WEBPASS, agent.URL};
    request.route = {agent.HOST, agent.PORT};
    request.cookies = &cookies;
    request.limits = limits;
    return request;
}

}  // namespace

PageBrowser::PageBrowser(const AgentDefinition& agent, SourceLog* log)
    : agent_(agent), log_(log), interval_(PoliteInterval::Read(agent.INTERVAL)) {
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

bool PageBrowser::Fetch(std::string_view reference, std::size_t position) {
    current_.position = position;
    kept_ = std::move(current_);
    current_ = Page{};
    current_.address = kept_->address;
    if (reference.empty()) {
        LogError("FETCH has no address to read");
        return false;
    }
    SourceResult read = ReadPage(ResolvePageAddress(kept_->address, reference));
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

SourceResult PageBrowser::Read(const std::string& url) {
    ++reads_;
    current_.address = url;
    SourceResult read = reader_         ? reader_(url)
                        : IsWebUrl(url) ? FetchPage(url)
                                        : ReadFileSource(url, limits_.maxSourceBytes, log_);
    if (!read.failure.Failed() && NothingRead(url, read)) {
        read.failure = {SourceFailureKind::NothingRead, std::string(kNothingRead)};
    }
    return read;
}

SourceResult PageBrowser::ReadPage(const std::string& url) {
    SourceResult read = Read(url);
    if (NothingRead(url, read)) {
        LogError(kNothingRead);
    }
    return read;
}

SourceResult PageBrowser::FetchPage(const std::string& url) {
    const std::string host = CookieOriginOf(url).host;
    if (!WaitPolitely(host)) {
        return {{}, {SourceFailureKind::Stopped, ""}};
    }
    HttpResult fetched = FetchHttp(RequestFor(agent_, url, cookies_, limits_), log_);
    const PoliteInterval::Clock::time_point end = PoliteInterval::Clock::now();
    interval_.Record(host, end);
    if (!fetched.redirects.empty()) {
        current_.address = fetched.finalUrl;
        interval_.Record(CookieOriginOf(fetched.finalUrl).host, end);
    }
    return {std::move(fetched.body), std::move(fetched.failure)};
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
